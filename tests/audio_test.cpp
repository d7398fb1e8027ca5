// The music layer on the offline player: decoding, positions in each
// stream's own bytes, loops, stop and resume, silent streams, the WAV mix,
// the demo clock and the derived-clock rule.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/decoder.h"
#include "audio/mixer.h"
#include "audio/music.h"
#include "audio_fixture.h"

namespace {

#define NEED_LAME()                                       \
    if (!lame_available())                                \
    GTEST_SKIP() << "the lame encoder is not installed; " \
                    "these tests make their mp3 files with it"

std::string tone_44k_stereo() { return make_tone_mp3("tone44k", 44100, 2, 1.0); }
std::string tone_22k_mono() { return make_tone_mp3("tone22k", 22050, 1, 1.0); }

// Frames a decoder yields from start to end (one pass).
size_t decode_all(const std::string& path) {
    Decoder d;
    std::string error;
    if (!decoder_open(d, path.c_str(), false, error)) return 0;
    std::vector<float> buffer(2 * 1000);
    size_t total = 0, got;
    while ((got = decoder_read(d, buffer.data(), 1000)) > 0) total += got;
    decoder_close(d);
    return total;
}

// The longest run of frames whose samples all stay near zero.
size_t longest_quiet_run(const std::vector<int16_t>& samples) {
    size_t best = 0, run = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        bool quiet = std::abs(samples[i]) < 200 && std::abs(samples[i + 1]) < 200;
        run = quiet ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

}  // namespace

TEST(Decoder, DeliversExactlyTheEncodedLengthAtTheMixRate) {
    NEED_LAME();
    // Gapless: the encoder's delay and padding are gone, so one second stays one second.
    EXPECT_EQ(decode_all(tone_44k_stereo()), 44100u);
    // 22050 Hz mono comes out resampled to 44100 Hz stereo.
    EXPECT_NEAR(static_cast<double>(decode_all(tone_22k_mono())), 44100.0, 4.0);

    Decoder d;
    std::string error;
    ASSERT_TRUE(decoder_open(d, tone_22k_mono().c_str(), true, error)) << error;
    EXPECT_EQ(d.rate, 22050);
    EXPECT_EQ(d.channels, 1);
    std::vector<float> buffer(2 * 44100 * 3);
    EXPECT_EQ(decoder_read(d, buffer.data(), 44100 * 3), 44100u * 3) << "a loop never runs dry";
    EXPECT_EQ(d.pass_frames, 22050);
    for (size_t i = 0; i < 44100 * 3; ++i) ASSERT_EQ(buffer[2 * i], buffer[2 * i + 1]) << i;
    decoder_close(d);
}

TEST(Decoder, RefusesWhatIsNoMp3) {
    std::string error;
    Decoder d;
    EXPECT_FALSE(decoder_open(d, "no such file.mp3", false, error));
    EXPECT_FALSE(error.empty());
    std::string text = (audio_scratch_dir() / "text.mp3").string();
    std::ofstream(text) << "these are words, not music\n";
    EXPECT_FALSE(decoder_open(d, text.c_str(), true, error));
    EXPECT_EQ(d.mpg, nullptr);
}

// What the live player does when the output stops: frames mixed but not yet
// heard are given back, and mixing goes on from the earlier frame exactly.
TEST(Mixer, RewindContinuesFromTheEarlierFrame) {
    NEED_LAME();
    std::vector<float> reference(2 * 44100);
    {
        Decoder d;
        std::string error;
        ASSERT_TRUE(decoder_open(d, tone_44k_stereo().c_str(), false, error)) << error;
        ASSERT_EQ(decoder_read(d, reference.data(), 44100), 44100u);
        decoder_close(d);
    }
    StreamHandle h = mixer_open(tone_44k_stereo().c_str(), true);
    MixStream* s = mixer_find(h);
    ASSERT_NE(s, nullptr);
    s->playing = true;
    std::vector<float> out(2 * 50000);
    mixer_mix(out.data(), 30000, 0.0);
    EXPECT_EQ(s->mixed, 30000u);
    for (size_t i = 0; i < 2 * 30000; ++i) ASSERT_EQ(out[i], reference[i]) << i;

    mixer_rewind(*s, 10000);
    EXPECT_EQ(mixer_position_bytes(*s, static_cast<double>(s->mixed), false), 40000u);
    mixer_mix(out.data(), 1000, 0.0);
    for (size_t i = 0; i < 2 * 1000; ++i) ASSERT_EQ(out[i], reference[2 * 10000 + i]) << i;

    // Past the loop's end, the rewind lands in the second pass.
    mixer_mix(out.data(), 40000, 0.0);  // up to frame 51000
    mixer_rewind(*s, 46000);
    EXPECT_EQ(mixer_position_bytes(*s, static_cast<double>(s->mixed), false), (46000u - 44100u) * 4);
    mixer_mix(out.data(), 1000, 0.0);
    for (size_t i = 0; i < 2 * 1000; ++i) ASSERT_EQ(out[i], reference[2 * 1900 + i]) << i;
    mixer_free(h);
}

TEST(OfflinePlayer, PositionsCountEachStreamsOwnBytes) {
    NEED_LAME();
    StreamHandle stereo = music_open(tone_44k_stereo().c_str(), false);
    StreamHandle mono = music_open(tone_22k_mono().c_str(), false);
    ASSERT_NE(stereo, 0u);
    ASSERT_NE(mono, 0u);
    EXPECT_NE(stereo, mono);
    EXPECT_EQ(music_position_bytes(stereo), 0u);
    music_play(stereo);
    music_play(mono);
    music_offline_advance(0.5);

    EXPECT_NEAR(static_cast<double>(music_position_bytes(stereo)), 88200.0, 8.0);
    EXPECT_NEAR(static_cast<double>(music_position_bytes(mono)), 22050.0, 4.0);
    EXPECT_DOUBLE_EQ(music_bytes_to_seconds(stereo, 88200), 0.5);
    EXPECT_DOUBLE_EQ(music_bytes_to_seconds(mono, 22050), 0.5);
    EXPECT_NEAR(stream_seconds(stereo), 0.5, 1e-4);
    EXPECT_NEAR(stream_seconds(mono), 0.5, 1e-4);

    // Not looped: past the end of the file time goes on, silently, and each
    // stream says once where it ended.
    testing::internal::CaptureStderr();
    music_offline_advance(0.75);
    EXPECT_NEAR(stream_seconds(stereo), 1.25, 1e-4);
    EXPECT_NEAR(stream_seconds(mono), 1.25, 1e-4);
    music_offline_advance(0.5);
    EXPECT_NEAR(stream_seconds(stereo), 1.75, 1e-4);
    EXPECT_NEAR(stream_seconds(mono), 1.75, 1e-4);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
    EXPECT_NE(err.find(tone_22k_mono() + ": the music ends at 1.00 s"), std::string::npos) << err;

    music_free(stereo);
    music_free(mono);
    music_free(0);
    EXPECT_EQ(music_position_bytes(stereo), 0u) << "a freed handle is no stream";
}

// A main track cut short (its headers still promise the full length) used
// to freeze the show's clock at the cut for good.
TEST(OfflinePlayer, TrackCutShortSaysWhereAndTheDemoClockCarriesOn) {
    NEED_LAME();
    std::string cut = truncated_copy(make_tone_mp3("long", 44100, 2, 3.0), "cut", 4000);
    ASSERT_NE(cut, "");
    testing::internal::CaptureStderr();
    main_stream = music_open(cut.c_str(), false);
    music_play(main_stream);
    std::vector<float> times;
    for (int i = 0; i < 60; ++i) {
        music_offline_advance(0.05);
        update_demo_clock();
        times.push_back(demo_time);
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NEAR(demo_time, 30.0f, 1e-3) << "3 s of music time, in tenths";
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]) << i;
    EXPECT_EQ(err.rfind("tangle: " + cut + ": the music ends at 0.", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    music_free(main_stream);
    main_stream = 0;
}

TEST(OfflinePlayer, LoopedStreamsWrapToTheirStart) {
    NEED_LAME();
    StreamHandle stereo = music_open(tone_44k_stereo().c_str(), true);
    StreamHandle mono = music_open(tone_22k_mono().c_str(), true);
    music_play(stereo);
    music_play(mono);
    music_offline_advance(1.25);
    EXPECT_NEAR(stream_seconds(stereo), 0.25, 1e-4);
    EXPECT_NEAR(stream_seconds(mono), 0.25, 1e-4);
    for (int i = 0; i < 60; ++i) music_offline_advance(1.0 / 60);  // many small steps don't drift
    EXPECT_NEAR(stream_seconds(stereo), 0.25, 1e-4);
    EXPECT_NEAR(stream_seconds(mono), 0.25, 1e-4);
    music_free(stereo);
    music_free(mono);
}

TEST(OfflinePlayer, StopAllLeavesPositionsAndPlayResumes) {
    NEED_LAME();
    testing::internal::CaptureStderr();
    StreamHandle a = music_open(tone_44k_stereo().c_str(), true);
    StreamHandle b = music_open(tone_22k_mono().c_str(), true);
    StreamHandle silent = music_open("no such music.mp3", true);
    testing::internal::GetCapturedStderr();
    music_play(a);
    music_play(b);
    music_play(silent);
    music_offline_advance(0.3);
    music_stop_all();
    music_offline_advance(0.5);
    EXPECT_NEAR(stream_seconds(a), 0.3, 1e-4);
    EXPECT_NEAR(stream_seconds(b), 0.3, 1e-4);
    EXPECT_NEAR(stream_seconds(silent), 0.3, 1e-4);

    music_start();
    music_play(a);
    music_play(a);  // playing again changes nothing
    music_offline_advance(0.2);
    EXPECT_NEAR(stream_seconds(a), 0.5, 1e-4);
    EXPECT_NEAR(stream_seconds(b), 0.3, 1e-4);
    music_play(silent);
    music_offline_advance(0.1);
    EXPECT_NEAR(stream_seconds(silent), 0.4, 1e-4);
    music_stop_all();
    music_free(a);
    music_free(b);
    music_free(silent);
}

TEST(OfflinePlayer, UnplayableFilesStillKeepTimeAndSayWhyOnce) {
    std::string text = (audio_scratch_dir() / "words.mp3").string();
    std::ofstream(text) << "these are words, not music\n";
    for (const std::string& path : {std::string("no such file.mp3"), text}) {
        testing::internal::CaptureStderr();
        StreamHandle s = music_open(path.c_str(), false);
        std::string err = testing::internal::GetCapturedStderr();
        ASSERT_NE(s, 0u) << path;
        EXPECT_EQ(err.rfind("tangle: ", 0), 0u) << err;
        EXPECT_NE(err.find(path), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

        music_offline_advance(0.25);
        EXPECT_EQ(music_position_bytes(s), 0u) << "it keeps time only once played";
        music_play(s);
        music_offline_advance(1.0);
        EXPECT_NEAR(stream_seconds(s), 1.0, 1e-4);
        music_free(s);
    }
}

TEST(OfflinePlayer, MixesWhatPlaysIntoAValidWav) {
    NEED_LAME();
    music_stop_all();
    std::string path = (audio_scratch_dir() / "mix.wav").string();
    ASSERT_TRUE(music_offline_open_wav(path.c_str()));
    StreamHandle s = music_open(tone_44k_stereo().c_str(), true);
    music_play(s);
    music_offline_advance(1.5);

    // Still open: the header already tells the truth about what is on disk.
    WavFile open = read_wav(path);
    ASSERT_TRUE(open.ok);
    EXPECT_EQ(open.data_size, open.samples.size() * 2);
    EXPECT_NEAR(static_cast<double>(open.samples.size()), 1.5 * 44100 * 2, 4.0);

    music_offline_advance(1.0);
    music_offline_close_wav();
    music_offline_close_wav();   // a second close is harmless
    music_offline_advance(1.0);  // nothing is written after the close
    music_free(s);

    WavFile w = read_wav(path);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate, 44100u);
    EXPECT_EQ(w.channels, 2u);
    EXPECT_EQ(w.bits, 16u);
    EXPECT_EQ(w.data_size, w.samples.size() * 2);
    EXPECT_EQ(w.riff_size, 36 + w.data_size);
    EXPECT_NEAR(static_cast<double>(w.samples.size()), 2.5 * 44100 * 2, 4.0);
    double energy = 0;
    for (int16_t v : w.samples) energy += static_cast<double>(v) * v;
    EXPECT_GT(std::sqrt(energy / w.samples.size()), 8000.0) << "a half-scale tone, not silence";
    // The tone runs through both wraps without a gap.
    EXPECT_LT(longest_quiet_run(w.samples), 8u);
}

TEST(OfflinePlayer, StoppedStreamsMixSilence) {
    NEED_LAME();
    music_stop_all();
    std::string path = (audio_scratch_dir() / "quiet.wav").string();
    StreamHandle s = music_open(tone_44k_stereo().c_str(), true);
    ASSERT_TRUE(music_offline_open_wav(path.c_str()));
    music_offline_advance(0.5);
    music_offline_close_wav();
    music_free(s);
    WavFile w = read_wav(path);
    ASSERT_TRUE(w.ok);
    EXPECT_NEAR(static_cast<double>(w.samples.size()), 0.5 * 44100 * 2, 4.0);
    for (int16_t v : w.samples) ASSERT_EQ(v, 0);
}

TEST(OfflinePlayer, WavThatCantBeCreatedIsReported) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(music_offline_open_wav("/nonexistent-folder/out.wav"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("tangle: /nonexistent-folder/out.wav", 0), 0u) << err;
    music_offline_advance(0.1);  // and advancing without a file is fine
}

TEST(DerivedClock, GathersThreeQuartersOfEveryStepForward) {
    float previous = 0, value = 0;
    EXPECT_EQ(advance_derived_clock(previous, value, 0.5f), 0.5f);
    EXPECT_EQ(value, 0.375f);
    advance_derived_clock(previous, value, 1.5f);
    EXPECT_EQ(value, 1.125f);
    EXPECT_LT(advance_derived_clock(previous, value, 0.1f), 0);  // the looped stream wrapped
    EXPECT_EQ(value, 1.125f);
    EXPECT_EQ(previous, 0.1f);
    advance_derived_clock(previous, value, 0.3f);  // and counts on from its new position
    EXPECT_NEAR(value, 1.275, 1e-6);
    advance_derived_clock(previous, value, 0.3f);  // a stopped stream
    EXPECT_NEAR(value, 1.275, 1e-6);
}

TEST(DerivedClock, FollowsALoopedStreamWithoutGoingBack) {
    NEED_LAME();
    StreamHandle s = music_open(tone_44k_stereo().c_str(), true);
    music_play(s);
    float previous = 0, value = 0, last = 0;
    for (int frame = 0; frame < 180; ++frame) {  // three seconds at 60 frames a second
        music_offline_advance(1.0 / 60);
        advance_derived_clock(previous, value, static_cast<float>(stream_seconds(s)));
        ASSERT_GE(value, last);
        last = value;
    }
    // Three wraps (the last on the final frame) each lose one frame's step.
    EXPECT_NEAR(value, 0.75 * (3.0 - 3.0 / 60), 1e-3);
    music_free(s);
}

TEST(DemoClock, FollowsTheMainStreamUntilTheSwitch) {
    // The show's own files may or may not be in the data folder; either way
    // the three streams exist and keep time.
    testing::internal::CaptureStderr();
    music_setup();
    testing::internal::GetCapturedStderr();
    ASSERT_NE(main_stream, 0u);
    ASSERT_NE(finale_stream, 0u);
    ASSERT_NE(hidden_stream, 0u);
    EXPECT_NE(main_stream, finale_stream);
    EXPECT_NE(finale_stream, hidden_stream);

    update_demo_clock();
    EXPECT_EQ(demo_time, 0.0f);
    music_offline_advance(0.5);
    update_demo_clock();
    float s = static_cast<float>(stream_seconds(main_stream));
    EXPECT_EQ(demo_time, s * 10.0f);
    EXPECT_NEAR(demo_time, 5.0f, 1e-3);
    EXPECT_EQ(demo_time_d, static_cast<double>(demo_time));
    EXPECT_EQ(stream_seconds(finale_stream), 0.0) << "the finale waits for its switch";

    music_switch_to(finale_stream);
    float frozen = demo_time;
    music_offline_advance(0.4);
    update_demo_clock();
    EXPECT_EQ(demo_time, frozen);
    EXPECT_NEAR(stream_seconds(finale_stream), 0.4, 1e-4);
    EXPECT_EQ(stream_seconds(hidden_stream), 0.0);

    music_switch_to(hidden_stream);
    music_offline_advance(0.3);
    EXPECT_NEAR(stream_seconds(finale_stream), 0.4, 1e-4);
    EXPECT_NEAR(stream_seconds(hidden_stream), 0.3, 1e-4);
    update_demo_clock();
    EXPECT_EQ(demo_time, frozen);
}
