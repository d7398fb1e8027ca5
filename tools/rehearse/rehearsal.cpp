// rehearsal.cpp: the rehearsal's callbacks and jumps (see rehearsal.h).
//
// The rehearsal's music time is the main stream's position, and once the
// show has switched to the finale or the hidden part (the main stream stands
// still from then on), that plus the new stream's position: the same clock
// the stepping follows.
//
// Jumps start from copies of the show kept every second of show time by
// every seek and behind the live music, so a jump into ground the rehearsal
// has covered steps a second at most. While a seek runs, the window shows its
// progress a few times a second and the keyboard is read: Escape and "q" end
// the program at once, other command keys wait and fire at the moment the
// jump lands on.
#include "rehearsal.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/frame.h"
#include "app/seek.h"
#include "app/stop.h"
#include "audio/music.h"
#include "capture_output.h"
#include "overlay_text.h"
#include "storyboard_source.h"
#include "sync/commands.h"
#include "sync/storyboard.h"

namespace {

// 30 steps a second: the show's own unit of motion (frame_step is 1 for
// every 0.0333 s of music), so every step is the nominal one the dynamics are
// tuned for, the sheets take one physics step per frame, and a jump costs
// half the frames that 60 would.
constexpr double step_rate = 30;
constexpr int poll_period_ms = 500;
// Copies every second of show time, 1.6 MB each (the two sheets' particles):
// the main show and two minutes of credits or hidden part, 490 MB at most.
constexpr long checkpoint_interval = 30;
constexpr size_t checkpoint_limit = 300;
// While a seek runs: how often the keyboard is read, and the progress drawn.
constexpr double seek_events_period = 0.1, seek_progress_period = 0.25;
// While the music plays, copies follow it up to a bar ahead: after each live
// frame, twice the steps the music moved on since the last one (so they catch
// up however slowly frames come), and a few more.
constexpr long copies_ahead = 60, copy_steps_least = 12, copy_steps_most = 240;

RehearseOptions options;
unsigned show_seed = 1;
std::string storyboard_name;
bool paused = false;
bool picture_due = false;  // paused after a jump: draw the new moment once
bool overlay_on = true;
std::string load_error;

Checkpoints checkpoints{checkpoint_interval, checkpoint_limit, {}, 0};
Checkpoint copies_frontier{-1, 0, {}, {}, {}};  // where following the music stopped
long followed_music_frame = 0;                  // the music's frame at the last following

using Clock = std::chrono::steady_clock;
Clock::time_point last_present = Clock::now();
double frame_ms = 0, fps = 0;

// The seek under way, if any.
bool jumping = false;
double jump_target = 0, jump_fraction = 0;
Clock::time_point last_events, last_progress;
std::vector<unsigned char> keys_during_jump;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

double music_seconds() {
    double t = stream_seconds(main_stream);
    if (music_playing(finale_stream))
        t += stream_seconds(finale_stream);
    else if (music_playing(hidden_stream))
        t += stream_seconds(hidden_stream);
    return t;
}

double home_seconds() { return options.loop ? options.loop_start : std::max(0.0, options.from); }

void set_clock(double seconds) {
    // A long stepping still ends on Ctrl-C or kill.
    end_show_if_stopped();
    step_held_music(seconds);
}

void draw_text(int x, int y, const std::string& text) {
    glRasterPos2i(x, y);
    for (char c : text) glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(c));
}

// Draws in window pixels, origin at the lower left, untextured.
void use_window_pixels(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
}

// Drawn into the window after the composed picture, before the swap.
void draw_overlay(int width, int height) {
    if (!overlay_on) return;
    const double main_seconds = stream_seconds(main_stream);
    OverlayFacts facts{};
    facts.seconds = music_seconds();
    facts.record_clock = static_cast<float>(main_seconds);
    facts.bar_seconds = storyboard_source_bar_seconds();
    facts.section = section_name(static_cast<float>(main_seconds * 10), music_playing(finale_stream),
                                 music_playing(hidden_stream));
    facts.frame_ms = frame_ms;
    facts.fps = fps;
    facts.records = &storyboard_source_records();
    facts.loop = options.loop;
    facts.loop_start = options.loop_start;
    facts.loop_end = options.loop_end;
    facts.home = home_seconds();
    facts.paused = paused;
    facts.error = load_error;
    facts.findings = &storyboard_source_findings();
    constexpr int line_height = 18, margin = 8, char_width = 9;
    facts.columns = (width - 2 * margin) / char_width;
    const std::vector<std::string> lines = overlay_lines(facts);

    size_t longest = 0;
    for (const std::string& l : lines) longest = std::max(longest, l.size());
    const int box_w = static_cast<int>(longest) * char_width + 2 * margin;
    const int box_h = static_cast<int>(lines.size()) * line_height + 2 * margin;

    use_window_pixels(width, height);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.65f);
    glRecti(0, height - box_h, box_w, height);
    int y = height - margin - 13;
    for (size_t i = 0; i < lines.size(); ++i, y -= line_height) {
        const bool is_error = i >= overlay_status_lines;
        if (is_error)
            glColor4f(1.0f, 0.45f, 0.4f, 1);
        else
            glColor4f(1, 1, 1, 1);
        draw_text(margin, y, lines[i]);
    }
}

void note_frame_time() {
    const double dt = seconds_since(last_present);
    last_present = Clock::now();
    // Smoothed, so the numbers can be read.
    frame_ms = frame_ms == 0 ? dt * 1000 : 0.9 * frame_ms + 0.1 * dt * 1000;
    fps = frame_ms > 0 ? 1000 / frame_ms : 0;
}

void draw_progress(int width, int height) {
    const std::string text = "stepping to " + clock_text(jump_target);
    constexpr int char_width = 9, bar_w = 300, bar_h = 8;
    use_window_pixels(width, height);
    glColor4f(1, 1, 1, 1);
    draw_text((width - static_cast<int>(text.size()) * char_width) / 2, height / 2 + 12, text);
    const int x = (width - bar_w) / 2, y = height / 2 - 12;
    glColor4f(0.35f, 0.35f, 0.35f, 1);
    glRecti(x, y, x + bar_w, y + bar_h);
    glColor4f(1, 1, 1, 1);
    glRecti(x, y, x + static_cast<int>(bar_w * std::clamp(jump_fraction, 0.0, 1.0)), y + bar_h);
}

// Between the frames of a seek: the keyboard a few times a second (Escape and
// "q" must end the program within half a second), the progress a little less
// often.
void seek_progress(long done, long total) {
    if (seconds_since(last_events) < seek_events_period) return;
    last_events = Clock::now();
    if (seconds_since(last_progress) >= seek_progress_period) {
        last_progress = last_events;
        jump_fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1;
        present_message(draw_progress);
    }
    glutMainLoopEvent();
}

// The show stepped on beside the live one, which is put aside and back, so
// that the ground the music has played is covered by copies as a seek covers
// it: a copy of a live frame would not do, its steps are the display's.
void follow_music_with_copies() {
    if (demo.hidden_part_on != 0 || checkpoints.kept.size() >= checkpoints.limit) return;
    const long music_frame = static_cast<long>(music_seconds() * step_rate);
    const long steps =
        std::clamp(2 * (music_frame - followed_music_frame), copy_steps_least, copy_steps_most);
    followed_music_frame = music_frame;
    const long up_to = music_frame + copies_ahead;
    const Checkpoint* latest = nullptr;
    for (const Checkpoint& c : checkpoints.kept)
        if (c.frame <= up_to) latest = &c;
    if (!latest || (latest->frame / checkpoint_interval + 1) * checkpoint_interval > up_to) return;
    const ShowState live = save_show();
    music_stand_in(true);
    hold_exit_commands(true);
    SeekRun run{step_rate, show_seed, set_clock, &checkpoints, nullptr};
    extend_checkpoints(checkpoints, copies_frontier, run, up_to, steps);
    restore_show(live);
    hold_exit_commands(false);
    music_stand_in(false);
}

void display() {
    // A seek in progress reads the keyboard; the window waits for its end.
    if (jumping) return;
    if (paused) {
        if (picture_due) draw_frame();
        picture_due = false;
        present_frame();
        // Nothing moves: no need to spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return;
    }
    if (options.loop && music_seconds() >= options.loop_end) rehearsal_jump(options.loop_start);
    draw_frame();
    note_frame_time();
    present_frame();
    follow_music_with_copies();
}

void toggle_pause() {
    paused = !paused;
    music_hold(paused);
}

void on_rehearsal_key(unsigned char key, int, int) {
    if (jumping) {
        if (key == 27 || key == 'q') {
            std::fprintf(stderr, "tangle: ended while stepping to %.2f s\n", jump_target);
            std::exit(0);
        }
        keys_during_jump.push_back(key);  // fired at the moment the jump lands on
        return;
    }
    if (key == ' ')
        toggle_pause();
    else
        press_key(key);  // recorded and run as in the show; Escape and "q" end it
    glutPostRedisplay();
}

// A new storyboard whose records up to now are the ones that fired, in the
// same order, gives the state on screen: it plays on without a jump (the
// usual case, an edit ahead of the music). Any other goes back to now.
void reload() {
    const std::vector<StoryRecord> fired = storyboard_source_fired();
    const std::vector<StoryRecord> before = storyboard_source_slot_records();
    const float record_clock = static_cast<float>(stream_seconds(main_stream));
    std::string error;
    if (!storyboard_source_load(error)) {
        load_error = error;
        std::fprintf(stderr, "tangle: %s; keeping the previous storyboard\n", error.c_str());
        return;
    }
    load_error.clear();
    storyboard_source_say_findings();
    forget_checkpoints_from(checkpoints, first_changed_record(before, storyboard_source_slot_records()));
    copies_frontier.frame = -1;
    if (storyboard_source_due(record_clock) == fired) {
        replay_storyboard(record_clock, [](int) {});  // marks them fired, runs nothing
        std::fprintf(stderr, "tangle: %s: reloaded; nothing before %.2f s changed, playing on\n",
                     storyboard_name.c_str(), static_cast<double>(record_clock));
        return;
    }
    const double now = music_seconds();
    const auto begun = Clock::now();
    rehearsal_jump(now);
    std::fprintf(stderr, "tangle: %s: reloaded; back to %.2f s (stepped there in %.1f s)\n",
                 storyboard_name.c_str(), now, seconds_since(begun));
}

const char* special_key_name(int key) {
    switch (key) {
        case GLUT_KEY_LEFT:
            return "Left";
        case GLUT_KEY_RIGHT:
            return "Right";
        case GLUT_KEY_HOME:
            return "Home";
        case GLUT_KEY_F5:
            return "F5";
        default:
            return nullptr;
    }
}

void on_special(int key, int, int) {
    if (jumping) {
        if (key == GLUT_KEY_F1) {
            overlay_on = !overlay_on;
        } else if (const char* name = special_key_name(key)) {
            std::fprintf(stderr, "tangle: %s ignored: pressed while stepping to %.2f s\n", name, jump_target);
        }
        return;
    }
    const double bar = storyboard_source_bar_seconds();
    switch (key) {
        case GLUT_KEY_LEFT:
            rehearsal_jump(std::max(0.0, music_seconds() - bar));
            break;
        case GLUT_KEY_RIGHT:
            rehearsal_jump(music_seconds() + bar);
            break;
        case GLUT_KEY_HOME:
            rehearsal_jump(home_seconds());
            break;
        case GLUT_KEY_F1:
            overlay_on = !overlay_on;
            break;
        case GLUT_KEY_F5:
            reload();
            break;
        default:
            break;
    }
    glutPostRedisplay();
}

void poll_storyboard(int) {
    if (!jumping && storyboard_source_changed()) reload();
    glutTimerFunc(poll_period_ms, poll_storyboard, 0);
}

}  // namespace

void rehearsal_jump(double seconds) {
    seconds = std::max(0.0, seconds);
    storyboard_source_restore();
    hold_exit_commands(true);
    jumping = true;
    jump_target = seconds;
    last_events = last_progress = Clock::now();
    SeekRun run{step_rate, show_seed, set_clock, &checkpoints, seek_progress};
    const SeekReport report = show_seek(seconds, run);
    copies_frontier.frame = -1;
    followed_music_frame = static_cast<long>(seconds * step_rate);
    std::fprintf(
        stderr,
        "tangle: jumped to %.2f s: state in %.0f ms (restored %.2f s, %ld steps), picture in %.0f ms\n",
        seconds, report.state_ms, static_cast<double>(report.from_frame) / step_rate, report.frames,
        report.picture_ms);
    set_clock(seconds);
    // Records between the last step and the moment itself fire now, so every
    // record before the moment has fired and every later one fires live. The
    // storyboard's clock is the main stream, which stops at a music switch.
    const float record_clock = static_cast<float>(stream_seconds(main_stream));
    replay_storyboard(std::nextafter(record_clock, -1.0f));
    hold_exit_commands(false);
    jumping = false;
    if (paused)
        picture_due = true;
    else
        music_hold(false);
    last_present = Clock::now();
    // The window's redraw, asked for while the seek ran, was passed over.
    glutPostRedisplay();
    // Pressed while the show was stepping: they land on the moment shown next.
    std::vector<unsigned char> keys;
    keys.swap(keys_during_jump);
    for (unsigned char key : keys) on_rehearsal_key(key, 0, 0);
}

size_t rehearsal_checkpoint_bytes() {
    size_t bytes = 0;
    for (const Checkpoint& c : checkpoints.kept) bytes += checkpoint_bytes(c);
    return bytes;
}

size_t rehearsal_checkpoint_count() { return checkpoints.kept.size(); }

void rehearsal_begin(const RehearseOptions& given, unsigned seed, const char* name) {
    options = given;
    show_seed = seed;
    storyboard_name = name;
    glutDisplayFunc(display);
    glutKeyboardFunc(on_rehearsal_key);
    glutSpecialFunc(on_special);
    set_window_overlay(draw_overlay);
    if (options.window_width > 0) glutSetCursor(GLUT_CURSOR_INHERIT);
    glutTimerFunc(poll_period_ms, poll_storyboard, 0);
}
