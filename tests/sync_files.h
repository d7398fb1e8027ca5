// sync_files.h: scratch files for the storyboard tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

// A fresh directory under the system's temporary folder, made once per run.
inline const std::string& scratch_dir() {
    static const std::string dir = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tangle-sync-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return dir;
}

inline std::string scratch_path(const std::string& name) { return scratch_dir() + "/" + name; }

// Writes `bytes` to a scratch file and returns its path.
inline std::string write_scratch(const std::string& name, const std::string& bytes) {
    const std::string path = scratch_path(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
