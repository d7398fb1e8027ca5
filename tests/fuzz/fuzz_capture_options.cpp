// Fuzz target: tangle-capture's command line, the input split into arguments
// at NUL bytes. Whatever it accepts lies within the ranges the capture loop
// relies on (times within 1800 s, frame rate, job count, sampling).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words = {"tangle-capture"};
    std::string word;
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    if (!word.empty()) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    CaptureOptions o;
    std::string problem;
    ParseOutcome outcome = parse_capture_options(static_cast<int>(words.size()), argv.data(), o, problem);
    if (outcome == ParseOutcome::bad && problem.empty()) std::abort();
    if (outcome != ParseOutcome::run) return 0;
    if (!(o.from >= 0 && o.from < capture_max_seconds)) std::abort();
    if (o.to != -1 && !(o.to > o.from && o.to <= capture_max_seconds)) std::abort();
    if (!(o.driver.fps > 0 && o.driver.fps <= 1000) || o.jobs < 1 || o.jobs > 64 || o.every < 1) std::abort();
    for (const CapturePress& p : o.presses)
        if (!(p.seconds >= 0 && p.seconds <= capture_max_seconds)) std::abort();
    return 0;
}
