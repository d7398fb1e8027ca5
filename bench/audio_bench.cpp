// What one audio callback costs: decoding and mixing 1024 frames (23 ms of
// sound) from a looped stream, at the mixer's rate and resampled.

#include <benchmark/benchmark.h>

#include <vector>

#include "audio/mixer.h"
#include "audio_fixture.h"

static void mix_callback_block(benchmark::State& state) {
    int rate = static_cast<int>(state.range(0));
    int channels = static_cast<int>(state.range(1));
    std::string name = "bench" + std::to_string(rate) + "x" + std::to_string(channels);
    std::string mp3 = lame_available() ? make_tone_mp3(name.c_str(), rate, channels, 10.0) : "";
    if (mp3.empty()) {
        state.SkipWithError("needs the lame encoder to make its mp3");
        return;
    }
    StreamHandle h = mixer_open(mp3.c_str(), true);
    MixStream* s = mixer_find(h);
    s->playing = true;
    std::vector<float> out(2 * 1024);
    for (auto _ : state) {
        mixer_mix(out.data(), 1024, 0.0);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024);
    mixer_free(h);
}
BENCHMARK(mix_callback_block)
    ->Args({44100, 2})
    ->Args({48000, 2})
    ->Args({22050, 1})
    ->Unit(benchmark::kMicrosecond);
