// tangle-storyboard: checks a storyboard file before the show plays it, and
// makes one from the show's key recording.
//   tangle-storyboard check FILE
//   tangle-storyboard from-recording [--all] RECORDING OUT
//   tangle-storyboard keys   (the command keys, as the README lists them)
// Exit status 0: every record fires as written; 1: some are lost or misread
// (or OUT can't be written); 2: a file can't be read (or the command line is
// wrong). Depends on check.h and recording.h.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "check.h"
#include "core/input_file.h"
#include "recording.h"
#include "sync/storyboard.h"

namespace {

const char* const usage =
    "usage: tangle-storyboard check FILE\n"
    "       tangle-storyboard from-recording [--all] RECORDING OUT\n"
    "       tangle-storyboard keys\n"
    "       tangle-storyboard --help\n";

const char* const help_text =
    "\n"
    "check FILE\n"
    "    Reads a storyboard (lines \"seconds key\") with the show's own loader and\n"
    "    names every record the show would never fire or would misread, then a\n"
    "    summary. Status 0: all fire as written; 1: some don't; 2: can't read FILE.\n"
    "\n"
    "from-recording [--all] RECORDING OUT\n"
    "    Makes a storyboard from the show's key recording (data/filepressedkeys.dat),\n"
    "    which every run appends to: a run ends at a quit key, and a new one starts\n"
    "    wherever the time goes back (a new start, a rehearsal's jump). Takes\n"
    "    the last run's presses (--all: every run's; default: the last run only), in\n"
    "    time order, leaves out Escape and q (a replayed quit ends the show), writes\n"
    "    OUT whole (a file it replaces is kept as OUT~), then checks it as check does.\n"
    "    Status as check's; 2 also when RECORDING can't be read or is OUT itself.\n"
    "\n"
    "keys\n"
    "    Lists the command keys and what each does, as a Markdown table.\n";

bool same_file(const char* a, const char* b) {
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string lines_text(const std::vector<int>& lines) {
    std::string s;
    for (size_t i = 0; i < lines.size() && i < 5; ++i) s += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > 5) s += " and " + std::to_string(lines.size() - 5) + " more";
    return s;
}

// Written beside OUT, then renamed over it: OUT is whole or untouched.
bool write_storyboard_file(const std::string& out, const std::vector<RecordedPress>& presses) {
    std::string temporary = out + ".tmp-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    std::FILE* file = fdopen(fd, "w");
    bool ok = file != nullptr;
    for (size_t i = 0; ok && i < presses.size(); ++i)
        ok = put_storyboard_line(file, presses[i].seconds, static_cast<char>(presses[i].key));
    ok = file && std::fclose(file) == 0 && ok;
    if (!file) close(fd);
    std::error_code error;
    if (ok && std::filesystem::is_regular_file(out, error))
        ok = std::filesystem::copy_file(out, out + "~", std::filesystem::copy_options::overwrite_existing,
                                        error);
    if (ok) ok = chmod(temporary.c_str(), 0644) == 0 && std::rename(temporary.c_str(), out.c_str()) == 0;
    const int why = errno;
    if (!ok) unlink(temporary.c_str());
    errno = why;
    return ok;
}

int from_recording(const char* recording_path, const char* out, bool all_runs) {
    if (same_file(recording_path, out)) {
        std::fprintf(stderr, "tangle-storyboard: %s: is the recording itself; not written over\n", out);
        return 2;
    }
    struct stat st;
    if (stat(recording_path, &st) == 0 && !S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "tangle-storyboard: can't read %s: not a regular file\n", recording_path);
        return 2;
    }
    std::ifstream in(recording_path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad()) {
        std::fprintf(stderr, "tangle-storyboard: can't read %s: %s\n", recording_path, std::strerror(errno));
        return 2;
    }
    const Recording recording = parse_recording(text);
    const size_t bad = recording.bad_lines.size();
    if (bad)
        std::fprintf(stderr,
                     "tangle-storyboard: %s: left out %zu line%s that %s not \"seconds key\" (line %s)\n",
                     recording_path, bad, bad == 1 ? "" : "s", bad == 1 ? "is" : "are",
                     lines_text(recording.bad_lines).c_str());
    int quits = 0;
    const std::vector<RecordedPress> presses = presses_to_replay(recording, all_runs, quits);
    const bool existed = access(out, F_OK) == 0;
    if (!write_storyboard_file(out, presses)) {
        std::fprintf(stderr, "tangle-storyboard: %s: can't write the storyboard: %s\n", out,
                     std::strerror(errno));
        return 1;
    }
    const std::string runs = std::to_string(recording.runs);
    const std::string taken = recording.runs <= 1 ? "the one run"
                              : all_runs          ? "all " + runs + " runs"
                                                  : "the last of " + runs + " runs";
    const std::string kept = existed ? "; the file it replaced is kept as " + std::string(out) + "~" : "";
    std::fprintf(stderr, "tangle-storyboard: %s: %zu presses from %s of %s, %d quit key%s left out%s\n", out,
                 presses.size(), taken.c_str(), recording_path, quits, quits == 1 ? "" : "s", kept.c_str());
    return check_storyboard(out, stdout, stderr);
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor must not be reused.
    make_standard_descriptors_safe();
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        std::fputs(help_text, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "keys") == 0)
        return std::fputs(command_key_table().c_str(), stdout) < 0;
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return check_storyboard(argv[2], stdout, stderr);
    if (argc >= 4 && std::strcmp(argv[1], "from-recording") == 0) {
        const bool all = std::strcmp(argv[2], "--all") == 0;
        if (argc == 4 + all) return from_recording(argv[2 + all], argv[3 + all], all);
    }
    std::fputs(usage, stderr);
    return 2;
}
