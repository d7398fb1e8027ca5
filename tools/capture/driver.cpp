// driver.cpp: the frame driver over the show's start-up and frame loop.
//
// A frame can be drawn, drawn unseen, or only stepped (no GL call at all).
// Drawing unseen (fast-forward) shrinks the storage of every render target to one pixel: the
// show's GL calls, state and attribute stack stay exactly as they are, but
// almost nothing is rasterised. Storage is not attribute state, so nothing a
// frame saves with glPushAttrib can carry the change into a drawn frame.
#include "driver.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "app/frame.h"
#include "app/seek.h"
#include "app/startup.h"
#include "app/targets.h"
#include "audio/music.h"

namespace {

struct Press {
    double seconds;
    unsigned char key;
};

DriverOptions driver_options;
std::vector<Press> pending_presses;  // sorted by time, stable
double clock_seconds = 0;
bool wav_open = false;

// One render target attachment: its object, the size and format it was
// created with, and whether it is a texture or a renderbuffer.
struct TargetStorage {
    GLuint name;
    bool texture;
    GLint width, height, format;
};
std::vector<TargetStorage> target_storage;
bool fast_forward = false;    // asked for
bool targets_shrunk = false;  // in force, from the next frame run on

// The colour and depth attachments of a framebuffer, as created.
void note_attachments(GLuint fbo) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    for (GLenum point : {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT}) {
        GLint type = GL_NONE, name = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                              &type);
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME,
                                              &name);
        TargetStorage t{static_cast<GLuint>(name), type == GL_TEXTURE, 0, 0, 0};
        if (type == GL_TEXTURE) {
            glBindTexture(GL_TEXTURE_2D, t.name);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &t.format);
        } else if (type == GL_RENDERBUFFER) {
            glBindRenderbuffer(GL_RENDERBUFFER, t.name);
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &t.width);
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &t.height);
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &t.format);
        } else {
            continue;
        }
        target_storage.push_back(t);
    }
}

// Gives every render target its own size, or one pixel. The bindings the
// work needs are put back as they were, so the show sees no change of state.
void size_targets(bool full) {
    GLint texture = 0, renderbuffer = 0, draw_fbo = 0, read_fbo = 0, unpack = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_fbo);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_fbo);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpack);
    if (target_storage.empty()) {
        note_attachments(scene_fbo);
        note_attachments(overlay_fbo);
        note_attachments(compose_framebuffer());
    }
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    for (const TargetStorage& t : target_storage) {
        GLint w = full ? t.width : 1, h = full ? t.height : 1;
        if (t.texture) {
            glBindTexture(GL_TEXTURE_2D, t.name);
            // The colour targets are created without data; the format pair
            // only says what no data would be.
            glTexImage2D(GL_TEXTURE_2D, 0, t.format, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        } else {
            glBindRenderbuffer(GL_RENDERBUFFER, t.name);
            glRenderbufferStorage(GL_RENDERBUFFER, static_cast<GLenum>(t.format), w, h);
        }
    }
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpack));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_fbo));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_fbo));
}

void read_framebuffer(unsigned fbo, int w, int h, std::vector<unsigned char>& rgb) {
    rgb.resize(static_cast<size_t>(w) * h * 3);
    std::vector<unsigned char> rows(rgb.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    size_t stride = static_cast<size_t>(w) * 3;
    for (int y = 0; y < h; y++) std::copy_n(&rows[stride * (h - 1 - y)], stride, &rgb[stride * y]);
}

}  // namespace

void driver_start(const DriverOptions& options) {
    driver_options = options;
    if (chdir(options.data_dir.c_str()) != 0) {
        std::fprintf(stderr, "tangle: %s: can't enter the data folder\n", options.data_dir.c_str());
        std::exit(2);
    }
    // A capture never writes the recording file and never plays sound.
    set_key_recording(false);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!options.wav_path.empty()) wav_open = music_offline_open_wav(options.wav_path.c_str());
    // The picture is read from the show's own 1280 x 720 target, so a plain
    // window of that size serves on any screen, without a mode switch.
    start_up_in_window(1280, 720);
    static char name[] = "tangle-capture";
    static char* argv[] = {name, nullptr};
    start_up_with(1, argv, options.seed, options.storyboard.empty() ? nullptr : options.storyboard.c_str());
    music_setup();
    clock_seconds = 0;
}

void driver_queue_press(double seconds, unsigned char key) {
    auto at = std::upper_bound(pending_presses.begin(), pending_presses.end(), seconds,
                               [](double s, const Press& p) { return s < p.seconds; });
    pending_presses.insert(at, Press{seconds, key});
}

namespace {
// Frame k's clock and the presses due by then.
void start_frame(long k) {
    double target = static_cast<double>(k) / driver_options.fps;
    if (target > clock_seconds) music_offline_advance(target - clock_seconds);
    clock_seconds = std::max(clock_seconds, target);
    // Presses land between frames, as the keyboard callback's do.
    while (!pending_presses.empty() && pending_presses.front().seconds <= clock_seconds) {
        unsigned char key = pending_presses.front().key;
        pending_presses.erase(pending_presses.begin());
        press_key(key);
    }
}
}  // namespace

void driver_run_frame(long k) {
    start_frame(k);
    // Only a frame about to run changes the storage, so turning fast-forward
    // on and off again between frames leaves the last picture readable.
    if (fast_forward != targets_shrunk) {
        targets_shrunk = fast_forward;
        size_targets(!targets_shrunk);
    }
    draw_frame();
    // Nothing presents the frame, so nothing makes GL finish it. On Mesa's
    // llvmpipe, frames left unfinished have read back as an older frame's
    // picture, several frames in a row; finishing each one keeps reads exact.
    glFinish();
}

void driver_step_frame(long k) {
    start_frame(k);
    step_frame();
}

void driver_set_clock(double seconds) { clock_seconds = seconds; }

void driver_run_to(long first, long target) {
    for (long k = first; k <= target; k++) {
        if (!frame_needs_drawing(k, target)) {
            driver_step_frame(k);
            continue;
        }
        driver_fast_forward(k != target);
        driver_run_frame(k);
    }
}

void driver_fast_forward(bool on) { fast_forward = on; }

bool driver_fast_forwarding() { return fast_forward; }

void driver_present() { present_frame(); }

void driver_read_picture(std::vector<unsigned char>& rgb) {
    read_framebuffer(compose_framebuffer(), 1280, 720, rgb);
}

void driver_read_scene_target(std::vector<unsigned char>& rgb) {
    read_framebuffer(scene_fbo, 1600, 900, rgb);
}

void driver_finish(double end_seconds) {
    // A frame's sound is mixed when the next frame starts: the last frame's
    // would be missing, and the sound a frame shorter than the pictures.
    if (wav_open && end_seconds > clock_seconds) music_offline_advance(end_seconds - clock_seconds);
    if (wav_open) music_offline_close_wav();
    wav_open = false;
}

double driver_fps() { return driver_options.fps; }
