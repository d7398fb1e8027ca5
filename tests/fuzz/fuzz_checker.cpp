// Fuzz target: any bytes as the file `tangle-storyboard check` reads. It must
// finish without fault and with one of its three statuses.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/tangle-fuzz-check-" + std::to_string(getpid()) + ".dat";
    static std::FILE* nowhere = std::fopen("/dev/null", "w");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || !nowhere) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    int status = check_storyboard(path.c_str(), nowhere, nowhere);
    if (status < 0 || status > 1) std::abort();  // 2 would mean the file it just wrote can't be read
    return 0;
}
