// mixer.cpp: the stream table and the mix (see mixer.h).
//
// Depends on decoder.h. No locking here; the players serialise their calls.

#include "audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr size_t mix_chunk = 4096;  // frames decoded per stream per step

MixStream streams[max_streams];
StreamHandle last_handle = 0;  // handles count up and are never reused
float scratch[2 * mix_chunk];

}  // namespace

StreamHandle mixer_open(const char* path, bool loop) {
    MixStream* slot = nullptr;
    for (MixStream& s : streams)
        if (s.handle == 0) {
            slot = &s;
            break;
        }
    if (!slot) {
        std::fprintf(stderr, "tangle: %s: too many music streams open, not played\n", path);
        return 0;
    }
    *slot = MixStream{};
    std::string error;
    slot->decoded = decoder_open(slot->decoder, path, loop, error);
    if (!slot->decoded) std::fprintf(stderr, "tangle: %s: %s; it plays silently\n", path, error.c_str());
    slot->loop = loop;
    slot->path = path;
    if (++last_handle == 0) ++last_handle;
    slot->handle = last_handle;
    return slot->handle;
}

void mixer_free(StreamHandle handle) {
    MixStream* s = mixer_find(handle);
    if (!s) return;
    decoder_close(s->decoder);
    *s = MixStream{};
}

MixStream* mixer_find(StreamHandle handle) {
    if (handle == 0) return nullptr;
    for (MixStream& s : streams)
        if (s.handle == handle) return &s;
    return nullptr;
}

MixStream* mixer_stream_at(int slot) {
    if (slot < 0 || slot >= max_streams || streams[slot].handle == 0) return nullptr;
    return &streams[slot];
}

void mixer_mix(float* out, size_t frames, double now) {
    std::fill(out, out + 2 * frames, 0.0f);
    for (MixStream& s : streams) {
        if (s.handle == 0 || !s.playing || !s.decoded) continue;
        s.block_start = s.mixed;
        s.block_time = now;
        size_t done = 0;
        while (done < frames) {
            size_t want = std::min(mix_chunk, frames - done);
            size_t got = decoder_read(s.decoder, scratch, want);
            float* o = out + 2 * done;
            for (size_t i = 0; i < 2 * got; ++i) o[i] += scratch[i];
            done += got;
            if (got < want) break;  // the end of a stream that doesn't loop
        }
        // The rest of the block is silence but still time: a track shorter
        // than the show must not stop the clock read from it.
        s.mixed += frames;
    }
}

double mixer_clock_frames(const MixStream& s, double now) {
    if (!s.playing) return s.clock_base;
    return s.clock_base + std::max(0.0, now - s.clock_since) * mix_rate;
}

void mixer_clock_play(MixStream& s, double now) {
    if (s.playing) return;
    s.clock_since = now;
    s.playing = true;
}

void mixer_clock_stop(MixStream& s, double now) {
    if (!s.playing) return;
    s.clock_base = mixer_clock_frames(s, now);
    s.playing = false;
}

void mixer_rewind(MixStream& s, uint64_t frames) {
    if (!s.decoded || frames >= s.mixed) return;
    decoder_seek(s.decoder, static_cast<int64_t>(frames * s.decoder.rate / mix_rate));
    s.mixed = frames;
    s.block_start = frames;
}

double mixer_held_frames(const MixStream& s, bool clock_kept) {
    return clock_kept ? s.clock_base : static_cast<double>(s.mixed);
}

void mixer_set_held(MixStream& s, bool clock_kept, double frames) {
    if (clock_kept) {
        s.clock_base = std::max(0.0, frames);
        return;
    }
    // A looping stream is put inside its first pass, where its decoder can
    // follow: by its true length once known, else by what its headers promise.
    const Decoder& d = s.decoder;
    const int64_t pass = d.pass_frames > 0 ? d.pass_frames : d.length_hint;
    if (s.loop && s.decoded && pass > 0 && d.rate > 0) {
        const double pass_mixed = static_cast<double>(pass) * mix_rate / d.rate;
        frames = std::fmod(frames, pass_mixed);
    }
    s.mixed = frames > 0 ? static_cast<uint64_t>(std::llround(frames)) : 0;
    s.block_start = s.mixed;
}

void mixer_release(MixStream& s, bool clock_kept, double now) {
    if (clock_kept) {
        s.clock_since = now;
        return;
    }
    if (!s.decoded) return;
    decoder_seek(s.decoder, static_cast<int64_t>(s.mixed * s.decoder.rate / mix_rate));
    s.block_start = s.mixed;
    s.block_time = now;
}

uint64_t mixer_position_bytes(const MixStream& s, double frames, bool use_hint) {
    uint64_t whole = frames > 0 ? static_cast<uint64_t>(frames) : 0;
    if (!s.decoded) return whole * 4;  // a silent stream counts as 44100 Hz stereo
    const Decoder& d = s.decoder;
    int64_t source = static_cast<int64_t>(whole * d.rate / mix_rate);
    int64_t pass = d.pass_frames;
    if (pass < 0 && use_hint) pass = d.length_hint;
    if (pass > 0 && s.loop) source %= pass;  // past the end of one that doesn't loop, time goes on
    return static_cast<uint64_t>(source) * d.channels * 2;
}

double mixer_bytes_to_seconds(const MixStream* s, uint64_t bytes) {
    long rate = mix_rate;
    int channels = 2;
    if (s && s->decoded) {
        rate = s->decoder.rate;
        channels = s->decoder.channels;
    }
    return static_cast<double>(bytes) / (static_cast<double>(rate) * channels * 2);
}

void mixer_note_end(MixStream& s, double frames, bool use_hint) {
    if (s.loop || s.end_told || !s.decoded) return;
    const Decoder& d = s.decoder;
    int64_t pass = d.pass_frames;
    if (pass < 0 && use_hint) pass = d.length_hint;
    if (pass < 0 || frames <= static_cast<double>(pass) * mix_rate / d.rate) return;
    s.end_told = true;
    std::fprintf(stderr, "tangle: %s: the music ends at %.2f s; the clock carries on silently from there\n",
                 s.path.c_str(), static_cast<double>(pass) / d.rate);
}

int16_t mixer_to_s16(float sample) {
    float clipped = std::clamp(sample, -1.0f, 1.0f);
    return static_cast<int16_t>(std::lrint(clipped * 32767.0f));
}
