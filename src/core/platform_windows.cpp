// platform_windows.cpp: the platform layer on Windows (MinGW-w64's C
// runtime and the Win32 console).
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <io.h>

#include <string>

#include <sys/stat.h>
#include <windows.h>

#include "core/platform.h"

namespace {

void (*stop_note)(int) = nullptr;
volatile LONG stop_seen = 0;

BOOL WINAPI on_console_event(DWORD event) {
    // The second request ends the process the way an uncaught Ctrl-C does.
    if (InterlockedExchange(&stop_seen, 1) != 0) ExitProcess(STATUS_CONTROL_C_EXIT);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        stop_note(SIGINT);
        return TRUE;
    }
    // Closing the console, logging off, shutting down: the system ends the
    // process as soon as this returns, so wait here (it allows about five
    // seconds) while the show ends itself between frames.
    stop_note(SIGTERM);
    Sleep(5000);
    return TRUE;
}

}  // namespace

int platform_open_read(const char* path) { return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }

void platform_make_blocking(int) {}

int platform_open_append(const char* path) {
    return _open(path, _O_RDWR | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

long platform_read_at(int fd, void* buffer, std::size_t size, long long offset) {
    const long long was = _lseeki64(fd, 0, SEEK_CUR);
    if (was < 0 || _lseeki64(fd, offset, SEEK_SET) < 0) return -1;
    const long n = _read(fd, buffer, static_cast<unsigned>(size));
    _lseeki64(fd, was, SEEK_SET);
    return n;
}

const char* platform_null_device() { return "NUL"; }

bool platform_enter_folder_beside_program(const char* name) {
    wchar_t path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    for (const char* c = name; *c; ++c) folder += static_cast<wchar_t>(*c);
    return SetCurrentDirectoryW(folder.c_str()) != 0;
}

void platform_set_env(const char* name, const char* value) { _putenv_s(name, value); }

void platform_make_standard_descriptors_safe() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (_get_osfhandle(fd) != -1) continue;
        const int null = _open("NUL", _O_RDWR | _O_BINARY);
        if (null >= 0 && null != fd) {
            _dup2(null, fd);
            _close(null);
        }
    }
}

void platform_catch_stop(void (*note)(int signal)) {
    stop_note = note;
    SetConsoleCtrlHandler(on_console_event, FALSE);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}
