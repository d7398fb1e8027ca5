// decoder.cpp: streaming mp3 decoding for the mixer (see decoder.h).
//
// Depends on libmpg123 and libsyn123. Only a couple of thousand frames are
// decoded at a time, so opening a long file costs one mp3 frame, not the file.

#include "audio/decoder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <mpg123.h>
#include <syn123.h>
#include <unistd.h>

#include "core/input_file.h"

namespace {

constexpr size_t chunk_frames = 2048;  // file frames decoded per read
constexpr int empty_read_limit = 64;   // reads that yield nothing before we call it the end

bool setup_resampler(Decoder& d) {
    return syn123_setup_resample(d.resampler, d.rate, mix_rate, d.channels, 0, 0) == SYN123_OK;
}

// Makes the decoded frames of `got` file frames pending; false if nothing came out.
bool hand_out(Decoder& d, size_t got) {
    if (!d.resampler) {
        d.pending = d.source.data();
        d.pending_frames = got;
        return got > 0;
    }
    d.pending = d.resampled.data();
    d.pending_frames = syn123_resample(d.resampler, d.resampled.data(), d.source.data(), got);
    return d.pending_frames > 0;
}

// Decodes the next chunk; at the end of the file either wraps (looping) or
// ends the stream. False once nothing more will come.
bool refill(Decoder& d) {
    int empty_reads = 0;
    bool just_wrapped = false;
    while (!d.ended) {
        size_t bytes = 0;
        int rc = mpg123_read(d.mpg, reinterpret_cast<unsigned char*>(d.source.data()),
                             chunk_frames * d.channels * sizeof(float), &bytes);
        size_t got = bytes / (sizeof(float) * d.channels);
        if (got > 0) {
            d.source_pos += static_cast<int64_t>(got);
            just_wrapped = false;
            empty_reads = 0;
            if (hand_out(d, got)) return true;
            continue;  // the resampler may still be filling its history
        }
        if ((rc == MPG123_OK || rc == MPG123_NEW_FORMAT) && ++empty_reads < empty_read_limit) continue;
        // The end of the file, or data past which nothing decodes: one pass is over.
        if (d.pass_frames < 0) d.pass_frames = d.source_pos;
        if (!d.loop || d.pass_frames == 0 || just_wrapped || mpg123_seek(d.mpg, 0, SEEK_SET) < 0) {
            d.ended = true;
            return false;
        }
        d.source_pos = 0;
        just_wrapped = true;
        empty_reads = 0;
    }
    return false;
}

}  // namespace

bool decoder_open(Decoder& d, const char* path, bool loop, std::string& error) {
    decoder_close(d);
    // A FIFO or a device named like the music must not hold the show up.
    d.fd = open_input(path, largest_music_file, error);
    if (d.fd < 0) return false;
    static const bool library_ready = (mpg123_init() == MPG123_OK);  // a no-op on current versions
    (void)library_ready;

    int err = MPG123_OK;
    d.mpg = mpg123_new(nullptr, &err);
    if (!d.mpg) {
        error = mpg123_plain_strerror(err);
        decoder_close(d);
        return false;
    }
    mpg123_param(d.mpg, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_param(d.mpg, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0.0);
    // Any rate and channel layout the file has, always as float: we resample ourselves.
    mpg123_format_none(d.mpg);
    const long* rates = nullptr;
    size_t rate_count = 0;
    mpg123_rates(&rates, &rate_count);
    for (size_t i = 0; i < rate_count; ++i)
        mpg123_format(d.mpg, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);

    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open_fd(d.mpg, d.fd) != MPG123_OK) {
        error = mpg123_strerror(d.mpg);
        decoder_close(d);
        return false;
    }
    if (mpg123_getformat(d.mpg, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1 ||
        encoding != MPG123_ENC_FLOAT_32) {
        error = "no mp3 audio in it";
        decoder_close(d);
        return false;
    }
    // Hold the first frame's format for the whole file.
    mpg123_format_none(d.mpg);
    mpg123_format(d.mpg, rate, channels, encoding);

    d.rate = rate;
    d.channels = channels;
    d.loop = loop;
    off_t length = mpg123_length(d.mpg);
    d.length_hint = length > 0 ? static_cast<int64_t>(length) : -1;
    d.source.resize(chunk_frames * channels);
    if (rate != mix_rate) {
        d.resampler = syn123_new(mix_rate, channels, MPG123_ENC_FLOAT_32, 0, &err);
        if (!d.resampler || !setup_resampler(d)) {
            error = "can't resample " + std::to_string(rate) + " Hz";
            decoder_close(d);
            return false;
        }
        d.resampled.resize(syn123_resample_count(rate, mix_rate, chunk_frames) * channels);
    }
    // Decode the first chunk now: a file that yields no audio at all is no mp3.
    if (!refill(d)) {
        error = "no mp3 audio in it";
        decoder_close(d);
        return false;
    }
    return true;
}

void decoder_close(Decoder& d) {
    if (d.mpg) {
        mpg123_close(d.mpg);
        mpg123_delete(d.mpg);
    }
    if (d.fd >= 0) close(d.fd);
    if (d.resampler) syn123_del(d.resampler);
    d = Decoder{};
}

size_t decoder_read(Decoder& d, float* out, size_t frames) {
    if (!d.mpg) return 0;
    size_t done = 0;
    while (done < frames) {
        if (d.pending_frames == 0 && !refill(d)) break;
        size_t n = std::min(frames - done, d.pending_frames);
        const float* in = d.pending;
        float* o = out + 2 * done;
        if (d.channels == 1) {
            for (size_t i = 0; i < n; ++i) o[2 * i] = o[2 * i + 1] = in[i];
        } else {
            for (size_t i = 0; i < n; ++i) {
                o[2 * i] = in[i * d.channels];
                o[2 * i + 1] = in[i * d.channels + 1];
            }
        }
        d.pending += n * d.channels;
        d.pending_frames -= n;
        done += n;
    }
    return done;
}

void decoder_seek(Decoder& d, int64_t frame) {
    if (!d.mpg) return;
    frame = std::max<int64_t>(frame, 0);
    if (d.loop && d.pass_frames > 0) frame %= d.pass_frames;
    d.pending_frames = 0;
    if (!d.loop && d.pass_frames >= 0 && frame >= d.pass_frames) {
        d.ended = true;
        d.source_pos = d.pass_frames;
        return;
    }
    off_t at = mpg123_seek(d.mpg, static_cast<off_t>(frame), SEEK_SET);
    d.source_pos = at >= 0 ? static_cast<int64_t>(at) : 0;
    d.ended = false;
    if (d.resampler) {
        // Drop the filter history: what follows doesn't continue what came before.
        syn123_setup_resample(d.resampler, 0, 0, 0, 0, 0);
        setup_resampler(d);
    }
}
