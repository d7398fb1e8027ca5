// input_file.cpp: guarded opening of input files.
#include "core/input_file.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "core/platform.h"

int open_input(const char* path, long long largest, std::string& error) {
    const int fd = platform_open_read(path);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file";
        close(fd);
        return -1;
    }
    if (st.st_size > largest) {
        error = std::to_string(st.st_size) + " bytes, over the " + std::to_string(largest) + " it may have";
        close(fd);
        return -1;
    }
    platform_make_blocking(fd);
    return fd;
}

bool read_input(const char* path, long long largest, std::vector<unsigned char>& bytes, std::string& error) {
    const int fd = open_input(path, largest, error);
    if (fd < 0) return false;
    bytes.clear();
    unsigned char block[65536];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0) break;
        // A file that grows while it is read is still held to the limit.
        if (static_cast<long long>(bytes.size()) + n > largest) {
            error = "over the " + std::to_string(largest) + " bytes it may have";
            close(fd);
            return false;
        }
        bytes.insert(bytes.end(), block, block + n);
    }
    close(fd);
    return true;
}

void make_standard_descriptors_safe() { platform_make_standard_descriptors_safe(); }
