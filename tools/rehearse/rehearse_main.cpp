// rehearse_main.cpp: tangle-rehearse, the live show from any moment, looped,
// paused and reloaded while it plays.
#include <GL/glew.h>
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/startup.h"
#include "app/stop.h"
#include "audio/music.h"
#include "core/input_file.h"
#include "options.h"
#include "rehearsal.h"
#include "storyboard_source.h"
#include "text/font.h"

namespace {

// Every jump starts the show from the same generator state, so a loop plays
// the same each time round.
constexpr unsigned rehearsal_seed = 1;

const char* const usage =
    "usage: tangle-rehearse [--data DIR] [--from S] [--loop A:B] [--storyboard FILE] [--cues FILE.cues] "
    "[--window WxH]\n"
    "       tangle-rehearse --help   for what each option does\n";

std::string absolute(const std::string& path) {
    return path.empty() ? path : std::filesystem::absolute(path).string();
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor must not be reused.
    make_standard_descriptors_safe();
    install_stop_signals();
    RehearseOptions options;
    std::string error;
    if (!parse_rehearse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "tangle-rehearse: %s\n%s", error.c_str(), usage);
        return 2;
    }
    if (options.help) {
        std::fputs(rehearse_help, stdout);
        return 0;
    }
    // The files named are where the user is; the show runs in its data folder.
    options.storyboard = absolute(options.storyboard);
    options.cues = absolute(options.cues);
    if (chdir(options.data_dir.c_str()) != 0) {
        std::fprintf(stderr, "tangle: %s: can't enter the data folder\n", options.data_dir.c_str());
        return 2;
    }
    const bool sheet = !options.cues.empty();
    const std::string watched = sheet                        ? options.cues
                                : options.storyboard.empty() ? absolute("keys.dat")
                                                             : options.storyboard;
    storyboard_source_init(watched, sheet);
    if (!storyboard_source_load(error)) std::fprintf(stderr, "tangle: %s\n", error.c_str());
    storyboard_source_say_findings();

    if (options.window_width > 0) start_up_in_window(options.window_width, options.window_height);
    try {
        char* glut_argv[] = {argv[0], nullptr};
        start_up_with(1, glut_argv, rehearsal_seed, storyboard_source_loaded_path().c_str());
    } catch (const std::exception& e) {
        return report_font_failure(e);
    }
    install_stop_signals();
    watch_for_stop(50);
    rehearsal_begin(options, rehearsal_seed, watched.c_str());
    music_setup();

    const auto begun = std::chrono::steady_clock::now();
    const double from = start_seconds(options);
    rehearsal_jump(from);
    std::fprintf(stderr,
                 "tangle: rehearsal live from %.2f s (stepped there in %.1f s; %zu copies kept, %.0f MB)\n",
                 from, std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count(),
                 rehearsal_checkpoint_count(), static_cast<double>(rehearsal_checkpoint_bytes()) / 1e6);
    glutMainLoop();
    return 0;
}
