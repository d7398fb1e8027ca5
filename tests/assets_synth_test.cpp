// The music generator's building blocks: note names and melody lines, the
// beat grid, mixing into one-shot and looped songs, the instruments' onsets,
// and the master chain's ceiling, DC removal and seamless wrap.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "synth.h"

namespace {

int max_abs(const std::vector<std::int16_t>& pcm) {
    int m = 0;
    for (std::int16_t s : pcm) m = std::max(m, std::abs(int(s)));
    return m;
}

}  // namespace

TEST(SynthNotes, NamesAndLines) {
    EXPECT_EQ(note_number("A4"), 69);
    EXPECT_EQ(note_number("C4"), 60);
    EXPECT_EQ(note_number("C#5"), 73);
    EXPECT_EQ(note_number("Bb5"), 82);
    EXPECT_EQ(note_number("A0"), 21);
    EXPECT_EQ(note_number("H2"), -1);
    EXPECT_EQ(note_number("C"), -1);
    EXPECT_EQ(note_number(""), -1);
    EXPECT_NEAR(midi_hz(69), 440.0f, 1e-3f);
    EXPECT_NEAR(midi_hz(57), 220.0f, 1e-3f);

    // Rests and bar marks take time or none; notes start where the last ended.
    const std::vector<Note> line = parse_line("E5:1.5 -:.5 | C5:2 A4:.25", 10.0, 0.5f);
    ASSERT_EQ(line.size(), 3u);
    EXPECT_DOUBLE_EQ(line[0].beat, 10.0);
    EXPECT_DOUBLE_EQ(line[1].beat, 12.0);
    EXPECT_DOUBLE_EQ(line[2].beat, 14.0);
    EXPECT_DOUBLE_EQ(line[2].length, 0.25);
    EXPECT_EQ(line[1].midi, 72);
    EXPECT_FLOAT_EQ(line[2].velocity, 0.5f);
}

TEST(SynthGrid, BeatsLandOnWholeFrames) {
    const Mixdown main = new_mixdown(120.0, 376.0, false);
    EXPECT_EQ(main.frames, 188 * 44100);
    EXPECT_EQ(frame_at(main, 1.0), 22050);
    const Mixdown hidden = new_mixdown(90.0, 128.0, true);
    EXPECT_EQ(frames_for(hidden, 8.0), 235200);  // one phrase, 16/3 s
    EXPECT_EQ(hidden.frames % 235200, 0);
}

TEST(SynthMix, LoopsWrapAndOneShotsStopAtTheEnd) {
    const std::vector<float> ramp(100, 1.0f);
    const Send centre{1.0f, 0.0f, 0.5f, 0.25f, false};
    Mixdown loop = new_mixdown(120.0, 1.0, true);
    mix_mono(loop, loop.frames - 40, ramp, centre);
    const float g = loop.dry.l[loop.frames - 1];
    EXPECT_NEAR(g, 1.0f, 1e-5f);  // centre pan keeps unit gain per side
    EXPECT_FLOAT_EQ(loop.dry.l[0], g);
    EXPECT_FLOAT_EQ(loop.dry.r[59], g);
    EXPECT_FLOAT_EQ(loop.dry.l[60], 0.0f);
    EXPECT_FLOAT_EQ(loop.delay_send.l[10], 0.5f * g);
    EXPECT_FLOAT_EQ(loop.reverb_send.r[10], 0.25f * g);

    Mixdown once = new_mixdown(120.0, 1.0, false);
    mix_mono(once, once.frames - 40, ramp, centre);
    mix_mono(once, -30, ramp, centre);  // what lies before the start is dropped
    EXPECT_FLOAT_EQ(once.dry.l[once.frames - 1], g);
    EXPECT_FLOAT_EQ(once.dry.l[69], g);
    EXPECT_FLOAT_EQ(once.dry.l[70], 0.0f);

    // Hard left sends nothing right; the duck lowers and recovers.
    Mixdown pan = new_mixdown(120.0, 1.0, false);
    mix_mono(pan, 0, ramp, Send{1.0f, -1.0f, 0.0f, 0.0f, false});
    EXPECT_GT(pan.dry.l[5], 1.3f);
    EXPECT_NEAR(pan.dry.r[5], 0.0f, 1e-6f);
    add_duck(pan, 100, 0.6f, 0.1f);
    EXPECT_NEAR(pan.duck[100], 0.4f, 1e-6f);
    EXPECT_GT(pan.duck[100 + 4000], pan.duck[100]);
    EXPECT_FLOAT_EQ(pan.duck[99], 1.0f);
}

TEST(SynthInstruments, StartFromSilenceAndStayBounded) {
    // A sound that starts with a jump clicks, and at a loop's wrap would put a
    // step into the seam.
    seed_noise(1);
    const std::vector<std::vector<float>> sounds = {
        make_kick(1.0f, 50.0f),
        make_snare(1.0f),
        make_clap(1.0f),
        make_hat(1.0f, false),
        make_hat(1.0f, true),
        make_crash(1.0f),
        make_bass(33, 20000, 500.0f, 3.0f, 1.0f),
        make_pluck(69, 5000, 2000.0f, 1.0f),
        make_lead(81, 20000, 3000.0f, 1.0f),
        make_bell(81, 5000, 1.0f),
        make_riser(30000, 300.0f, 6000.0f, 1.0f),
    };
    for (std::size_t k = 0; k < sounds.size(); k++) {
        const std::vector<float>& s = sounds[k];
        ASSERT_FALSE(s.empty()) << k;
        EXPECT_LT(std::fabs(s.front()), 0.05f) << "sound " << k;
        EXPECT_LT(std::fabs(s.back()), 0.02f) << "sound " << k;
        float peak = 0.0f;
        for (float v : s) {
            ASSERT_TRUE(std::isfinite(v)) << k;
            peak = std::max(peak, std::fabs(v));
        }
        EXPECT_GT(peak, 0.01f) << "sound " << k << " is silent";
        EXPECT_LT(peak, 2.0f) << "sound " << k;
    }
    const Stereo pad = make_pad({57, 60, 64}, 44100, 1500.0f, 1.0f);
    EXPECT_LT(std::fabs(pad.l.front()), 0.05f);
    EXPECT_EQ(pad.l.size(), pad.r.size());
    EXPECT_NE(pad.l[20000], pad.r[20000]);  // detuned apart: a wide pad
}

TEST(SynthInstruments, NoiseRepeatsFromItsSeed) {
    seed_noise(77);
    const std::vector<float> a = make_clap(1.0f);
    seed_noise(77);
    const std::vector<float> b = make_clap(1.0f);
    seed_noise(78);
    const std::vector<float> c = make_clap(1.0f);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(SynthMaster, LimiterHoldsTheCeilingAndDcIsRemoved) {
    Mixdown m = new_mixdown(120.0, 16.0, false);
    for (int n = 0; n < m.frames; n++) {
        // A loud, lopsided signal: bursts far over full scale on a DC offset.
        const float burst = (n / 11025) % 2 ? 3.0f : 0.2f;
        m.dry.l[n] = 0.3f + burst * std::sin(float(n) * 0.05f);
        m.dry.r[n] = 0.3f + burst * std::sin(float(n) * 0.031f);
    }
    const std::vector<std::int16_t> pcm = master_song(m, 0.0f, -2.0f);
    ASSERT_EQ(pcm.size(), std::size_t(m.frames) * 2);
    const int ceiling = int(std::lround(std::pow(10.0, -2.0 / 20.0) * 32767.0));
    EXPECT_LE(max_abs(pcm), ceiling);
    EXPECT_GT(max_abs(pcm), ceiling * 9 / 10);  // limited, not muted
    double mean = 0.0;
    const std::size_t from = pcm.size() / 2;
    for (std::size_t i = from; i < pcm.size(); i++) mean += pcm[i];
    EXPECT_LT(std::fabs(mean / double(pcm.size() - from)), 0.002 * 32767.0);
}

TEST(SynthMaster, LoopWrapsWithoutAStep) {
    // Echo and reverb tails of hits near the end must come round to the start.
    Mixdown m = new_mixdown(120.0, 8.0, true);
    seed_noise(3);
    const std::vector<float> hit = make_pluck(64, 8000, 2500.0f, 1.0f);
    for (double beat : {0.0, 2.5, 5.0, 7.5})
        mix_mono(m, frame_at(m, beat), hit, Send{1.0f, 0.3f, 0.8f, 0.8f, false});
    const std::vector<std::int16_t> pcm = master_song(m, 0.0f, -2.0f);
    const std::size_t n = pcm.size() / 2;
    std::vector<int> steps;
    for (std::size_t i = 1; i < n; i++) steps.push_back(std::abs(pcm[2 * i] - pcm[2 * i - 2]));
    std::sort(steps.begin(), steps.end());
    const int typical = steps[steps.size() * 99 / 100];
    EXPECT_LE(std::abs(pcm[0] - pcm[2 * (n - 1)]), typical);
    EXPECT_LE(std::abs(pcm[1] - pcm[2 * n - 1]), typical);
    // The tail is still sounding across the wrap, so the seam is a real test.
    EXPECT_GT(std::abs(pcm[2 * (n - 1)]), 10);

    // Starting the file two beats in keeps the frames in cyclic order.
    m.start_beat = 2.0;
    const std::vector<std::int16_t> turned = rotate_to_start(m, pcm);
    const std::size_t shift = std::size_t(frame_at(m, 2.0));
    EXPECT_EQ(turned[0], pcm[2 * shift]);
    EXPECT_EQ(turned[2 * (n - shift)], pcm[0]);
    EXPECT_EQ(turned[2 * n - 1], pcm[2 * shift - 1]);
}
