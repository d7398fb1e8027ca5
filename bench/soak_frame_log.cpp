// soak_frame_log.cpp: a preload library for bench/soak.sh that notes the
// time of every buffer swap, so a live run's frame times can be read from
// outside without touching the show.
//
// Depends on libdl and GLX only. Each glXSwapBuffers call appends the steady
// clock in nanoseconds, one line, to the file named by TANGLE_FRAME_LOG, then
// hands the call on to the real function.
#include <GL/glx.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using Swap = void (*)(Display*, GLXDrawable);
    static Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    static std::FILE* log = [] {
        const char* path = std::getenv("TANGLE_FRAME_LOG");
        std::FILE* f = path ? std::fopen(path, "w") : nullptr;
        if (f) std::setvbuf(f, nullptr, _IOLBF, 0);
        return f;
    }();
    if (real) real(display, drawable);
    if (log) {
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
        std::fprintf(log, "%lld\n", static_cast<long long>(ns));
    }
}
