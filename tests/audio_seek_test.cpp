// Jumps and holds of the offline player: a jump or a held stretch followed by
// playing must sound exactly like playing through to the same place, and the
// position must stand where it was put.

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/music.h"
#include "audio_fixture.h"

namespace {

// A tone whose period is no whole number of samples (440 Hz at 44100 Hz), so
// any slip of the jump shows in the samples.
std::string tone_file() { return make_tone_mp3("seek440", 44100, 2, 4.0, 440.0); }

// Plays `stream` for `seconds` into a WAV file and returns its samples.
std::vector<int16_t> play_into_wav(StreamHandle stream, double seconds, const char* name) {
    std::string wav = (audio_scratch_dir() / name).string();
    EXPECT_TRUE(music_offline_open_wav(wav.c_str()));
    music_play(stream);
    music_offline_advance(seconds);
    music_offline_close_wav();
    music_stop_all();
    return read_wav(wav).samples;
}

// The largest difference between `part` and `whole` from frame `from` on.
int largest_difference(const std::vector<int16_t>& whole, const std::vector<int16_t>& part, size_t from) {
    int worst = 0;
    for (size_t i = 0; i < part.size() && 2 * from + i < whole.size(); ++i)
        worst = std::max(worst, std::abs(whole[2 * from + i] - part[i]));
    return worst;
}

}  // namespace

TEST(OfflinePlayerSeek, JumpsAndHeldStretchesSoundLikePlayingThrough) {
    if (!lame_available()) GTEST_SKIP() << "the lame encoder is not installed";
    const std::string mp3 = tone_file();
    ASSERT_NE(mp3, "");
    StreamHandle s = music_open(mp3.c_str(), false);
    const std::vector<int16_t> through = play_into_wav(s, 2.0, "through.wav");
    ASSERT_EQ(through.size(), 2u * 88200);

    // A jump back to 1.5 s stands exactly there, then plays what played there.
    music_seek(s, 1.5);
    EXPECT_DOUBLE_EQ(stream_seconds(s), 1.5);
    const std::vector<int16_t> jumped = play_into_wav(s, 0.5, "jumped.wav");
    ASSERT_EQ(jumped.size(), 2u * 22050);
    EXPECT_LE(largest_difference(through, jumped, 66150), 1);

    // Held: back to 0 and stepped at 60 steps a second to 1 s, nothing heard
    // or decoded on the way; released, it plays what played at 1 s.
    music_hold(true);
    music_seek(s, 0);
    music_play(s);
    for (int k = 1; k <= 60; ++k) music_hold_advance(1.0 / 60);
    EXPECT_DOUBLE_EQ(stream_seconds(s), 1.0);
    music_stop_all();
    music_hold_advance(0.5);  // a stopped stream doesn't move
    EXPECT_DOUBLE_EQ(stream_seconds(s), 1.0);
    music_hold(false);
    const std::vector<int16_t> held = play_into_wav(s, 0.5, "held.wav");
    EXPECT_LE(largest_difference(through, held, 44100), 1);
    music_free(s);
}

TEST(OfflinePlayerSeek, LoopingAndSilentStreamsLandWhereTheyArePut) {
    if (!lame_available()) GTEST_SKIP() << "the lame encoder is not installed";
    const std::string mp3 = tone_file();
    ASSERT_NE(mp3, "");
    // Past the end of a looping 4 s stream: it wraps, before and after the hold.
    StreamHandle looped = music_open(mp3.c_str(), true);
    music_hold(true);
    music_seek(looped, 9.25);
    EXPECT_NEAR(stream_seconds(looped), 1.25, 1.0 / 44100);
    music_hold(false);
    EXPECT_NEAR(stream_seconds(looped), 1.25, 1.0 / 44100);
    music_free(looped);

    // Past the end of a stream that doesn't loop: silence, not the start again.
    StreamHandle once = music_open(mp3.c_str(), false);
    music_seek(once, 6.0);
    const std::vector<int16_t> after_end = play_into_wav(once, 0.2, "after_end.wav");
    EXPECT_EQ(std::count(after_end.begin(), after_end.end(), 0), static_cast<long>(after_end.size()));
    music_free(once);

    // A stream without a file keeps time on the clock from where it is put.
    testing::internal::CaptureStderr();
    StreamHandle silent = music_open("no such music.mp3", false);
    testing::internal::GetCapturedStderr();
    music_play(silent);
    music_seek(silent, 3.0);
    music_offline_advance(0.5);
    EXPECT_NEAR(stream_seconds(silent), 3.5, 1e-9);
    music_hold(true);
    music_hold_advance(1.0);
    EXPECT_NEAR(stream_seconds(silent), 4.5, 1e-9);
    music_hold(false);
    music_stop_all();
    music_free(silent);
}
