// driver.cpp: the frame driver over the show's start-up and frame loop.
#include "driver.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "app/frame.h"
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

void driver_run_frame(long k) {
    double target = static_cast<double>(k) / driver_options.fps;
    if (target > clock_seconds) music_offline_advance(target - clock_seconds);
    clock_seconds = std::max(clock_seconds, target);
    // Presses land between frames, as the keyboard callback's do.
    while (!pending_presses.empty() && pending_presses.front().seconds <= clock_seconds) {
        unsigned char key = pending_presses.front().key;
        pending_presses.erase(pending_presses.begin());
        press_key(key);
    }
    draw_frame();
    // Nothing presents the frame, so nothing makes GL finish it. On Mesa's
    // llvmpipe, frames left unfinished have read back as an older frame's
    // picture, several frames in a row; finishing each one keeps reads exact.
    glFinish();
}

void driver_present() { present_frame(); }

void driver_read_picture(std::vector<unsigned char>& rgb) { read_framebuffer(compose_framebuffer(), 1280, 720, rgb); }

void driver_read_scene_target(std::vector<unsigned char>& rgb) { read_framebuffer(scene_fbo, 1600, 900, rgb); }

void driver_finish() {
    if (wav_open) music_offline_close_wav();
    wav_open = false;
}

double driver_fps() { return driver_options.fps; }
