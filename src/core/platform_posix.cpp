// platform_posix.cpp: the platform layer on Linux (POSIX).
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>

#include <initializer_list>

#include <unistd.h>

#include "core/platform.h"

int platform_open_read(const char* path) { return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC); }

void platform_make_blocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK); }

int platform_open_append(const char* path) {
    return open(path, O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
}

long platform_read_at(int fd, void* buffer, std::size_t size, long long offset) {
    return static_cast<long>(pread(fd, buffer, size, static_cast<off_t>(offset)));
}

const char* platform_null_device() { return "/dev/null"; }

bool platform_enter_folder_beside_program(const char*) { return false; }

void platform_set_env(const char* name, const char* value) { setenv(name, value, 1); }

void platform_make_standard_descriptors_safe() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open returns the lowest free descriptor: this one.
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) close(null);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

void platform_catch_stop(void (*note)(int signal)) {
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    // Once noted, the next one takes the default action: a show that can't
    // reach its next frame still ends on a second Ctrl-C.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}
