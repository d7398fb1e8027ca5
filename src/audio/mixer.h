// mixer.h: the stream table both players share, and the mixing of what plays
// into 44100 Hz stereo float.
//
// Depends on decoder.h. A stream either decodes its file (its position is the
// frames mixed from it) or, when its file is missing or no mp3, keeps time on
// the player's clock from the moment it is played. Positions are counted in
// mixer frames (mix_rate per second, never wrapped) and turned into the
// stream's own bytes only when reported: the file's rate and channels,
// 16 bits a sample, wrapped to the start for a looping stream.
// Callers serialise access (the live player holds its lock around every call).
#pragma once

#include <cstdint>
#include <string>

#include "audio/decoder.h"
#include "audio/music.h"

struct MixStream {
    StreamHandle handle = 0;  // 0: a free slot
    bool loop = false;
    bool playing = false;
    bool decoded = false;  // false: silent, keeps time on the clock only
    Decoder decoder;
    uint64_t mixed = 0;        // mixer frames mixed from it so far
    uint64_t block_start = 0;  // where the last block mixed from it began
    double block_time = 0;     // the player's clock when that block was mixed
    double clock_base = 0;     // clock-kept streams: frames stood at when last stopped
    double clock_since = 0;    // and the player's clock when last played
    std::string path;          // the file, for messages
    bool end_told = false;     // its early end has been reported
};

constexpr int max_streams = 16;

// A new stream; a file that can't be decoded gives a silent one and one
// "tangle: " line on stderr naming the file. 0 only when the table is full.
StreamHandle mixer_open(const char* path, bool loop);
void mixer_free(StreamHandle handle);
MixStream* mixer_find(StreamHandle handle);
MixStream* mixer_stream_at(int slot);  // nullptr for a free slot

// Mixes `frames` frames of every playing decoded stream into `out`
// (interleaved stereo, overwritten); `now` is the player's clock. A stream
// that has ended (or stopped decoding) still counts the frames as played,
// silently, so a clock read from it carries on past its end.
void mixer_mix(float* out, size_t frames, double now);

// Clock-kept streams: the position at player clock `now`, in mixer frames.
double mixer_clock_frames(const MixStream& stream, double now);
void mixer_clock_play(MixStream& stream, double now);
void mixer_clock_stop(MixStream& stream, double now);

// Puts a decoded stream back to mixer frame `frames` (only ever backwards:
// frames mixed but not yet heard when the output stops).
void mixer_rewind(MixStream& stream, uint64_t frames);

// Holding (both players): a held stream stands at a position that moves only
// when told, and nothing is decoded. Decoded streams keep it in `mixed` (the
// decoder is left behind until the hold ends), clock-kept ones in `clock_base`.
double mixer_held_frames(const MixStream& stream, bool clock_kept);
void mixer_set_held(MixStream& stream, bool clock_kept, double frames);
// Ends the hold of one stream: its decoder is put at the held position,
// sample-exact, and a clock-kept stream runs on from there at player clock `now`.
void mixer_release(MixStream& stream, bool clock_kept, double now);

// The stream's position in its own bytes for `frames` mixer frames.
// `use_hint`: clamp or wrap by the length the file's headers promise while
// the true length is still unknown (streams that aren't decoded while they play).
uint64_t mixer_position_bytes(const MixStream& stream, double frames, bool use_hint);
double mixer_bytes_to_seconds(const MixStream* stream, uint64_t bytes);

// Says once on stderr, naming the file and where it ends, when a stream that
// doesn't loop is read at `frames`, past its end (`use_hint` as above).
void mixer_note_end(MixStream& stream, double frames, bool use_hint);

// A float sample as 16 bits, clipped.
int16_t mixer_to_s16(float sample);
