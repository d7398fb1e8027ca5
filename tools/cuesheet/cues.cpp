// cues.cpp: the cue sheet compiler (see cues.h).
#include "cues.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "sync/storyboard.h"

bool compile_cue_sheet(const std::string& path, CueSheet& sheet, std::string& error) {
    sheet = CueSheet{};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = printable(path) + ": can't read the cue sheet";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = printable(path) + ": can't read the cue sheet";
        return false;
    }
    return compile_cues(text.str(), path, sheet.cues, error, &sheet.tempo);
}

bool write_storyboard(const CueSheet& sheet, const std::string& path) {
    // Written beside `path` and renamed over it, so `path` is whole or untouched.
    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    std::FILE* out = fdopen(fd, "w");
    bool ok = out != nullptr;
    for (size_t i = 0; ok && i < sheet.cues.size(); ++i)
        ok = put_storyboard_line(out, static_cast<float>(sheet.cues[i].seconds), sheet.cues[i].key);
    ok = out && std::fclose(out) == 0 && ok;
    if (!out) close(fd);
    // mkstemp makes the file private; a storyboard gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    ok = ok && chmod(temporary.c_str(), 0666 & ~mask) == 0 &&
         std::rename(temporary.c_str(), path.c_str()) == 0;
    const int why = errno;
    if (!ok) unlink(temporary.c_str());
    errno = why;
    return ok;
}
