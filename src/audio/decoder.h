// decoder.h: one mp3 file decoded while it plays, delivered as the mixer's
// 44100 Hz stereo float frames.
//
// Depends on libmpg123 (gapless decoding, read from the file a little at a
// time) and libsyn123 (its resampler, for files not at 44100 Hz). A looping
// decoder goes straight from the file's last frame to its first, so the loop
// has no gap. The file keeps its own rate and channel count; positions are
// counted in its own frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef struct mpg123_handle_struct mpg123_handle;
typedef struct syn123_struct syn123_handle;

constexpr long mix_rate = 44100;  // the mixer's frames per second, stereo

// An hour of mp3 at 320 kb/s is 144 MB; anything far larger is no music of the show's.
constexpr long long largest_music_file = 1LL << 30;

struct Decoder {
    int fd = -1;  // the file, read by mpg123 a little at a time
    mpg123_handle* mpg = nullptr;
    syn123_handle* resampler = nullptr;  // none when the file is at mix_rate
    long rate = 0;                       // the file's frames per second
    int channels = 0;                    // the file's channels
    bool loop = false;
    bool ended = false;              // not looping and past its last frame
    int64_t pass_frames = -1;        // file frames in one pass, once the end was reached
    int64_t length_hint = -1;        // what the file's headers promise, -1 if nothing
    int64_t source_pos = 0;          // file frames decoded in this pass
    std::vector<float> source;       // decoded, the file's channels
    std::vector<float> resampled;    // source at mix_rate, the file's channels
    const float* pending = nullptr;  // frames decoded but not yet handed out
    size_t pending_frames = 0;
};

// Opens `path`; false (and `error` says why) when it is missing or is no mp3.
bool decoder_open(Decoder& decoder, const char* path, bool loop, std::string& error);
void decoder_close(Decoder& decoder);

// Fills `out` (interleaved stereo) with up to `frames` frames; fewer only once
// a stream that doesn't loop has ended.
size_t decoder_read(Decoder& decoder, float* out, size_t frames);

// Continues decoding from file frame `frame` (taken modulo one pass when looping).
void decoder_seek(Decoder& decoder, int64_t frame);
