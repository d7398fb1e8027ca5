// music_offline.cpp: the player whose clock moves only when told to.
//
// Depends on mixer.h. The capture tool and the tests link it instead of the
// live player: music_offline_advance mixes exactly that much time of what
// plays and, when a WAV file is open, appends it there, so pictures and
// sound stay frame-exact. Streams whose file is missing keep time on this
// same clock, silently. Held, the clock still moves when told to, but nothing
// is decoded or written: decoded streams only count the time.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/mixer.h"
#include "audio/music.h"

namespace {

constexpr size_t advance_chunk = 4096;
constexpr uint32_t wav_header_bytes = 44;
constexpr uint64_t wav_max_data = 0xFFFFFFFFull - 36 - 3;  // what the header's sizes can hold

double clock_seconds = 0;   // how far the clock has been advanced
uint64_t clock_frames = 0;  // mixer frames mixed so far
float mix_buffer[2 * advance_chunk];
bool held = false;
double hold_seconds = 0;  // summed steps since the hold began
int64_t hold_frames = 0;  // the same, in mixer frames already counted

std::FILE* wav = nullptr;
std::string wav_path;
uint64_t wav_data_bytes = 0;

double now() { return static_cast<double>(clock_frames) / mix_rate; }

void put_u16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void put_u32(unsigned char* p, uint32_t v) {
    put_u16(p, v & 0xFFFF);
    put_u16(p + 2, v >> 16);
}

void wav_fail(const char* what) {
    std::fprintf(stderr, "tangle: %s: %s: %s; sound capture stopped\n", wav_path.c_str(), what,
                 std::strerror(errno));
    std::fclose(wav);
    wav = nullptr;
}

// Writes the header with the sizes so far and flushes, so the file stays a
// valid WAV whenever the process stops.
void wav_write_header() {
    uint32_t data = static_cast<uint32_t>(std::min(wav_data_bytes, wav_max_data));
    unsigned char h[wav_header_bytes];
    std::memcpy(h, "RIFF", 4);
    put_u32(h + 4, 36 + data);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put_u32(h + 16, 16);        // format chunk size
    put_u16(h + 20, 1);         // integer PCM
    put_u16(h + 22, 2);         // channels
    put_u32(h + 24, mix_rate);  // frames per second
    put_u32(h + 28, mix_rate * 4);
    put_u16(h + 32, 4);   // bytes per frame
    put_u16(h + 34, 16);  // bits per sample
    std::memcpy(h + 36, "data", 4);
    put_u32(h + 40, data);
    if (std::fseek(wav, 0, SEEK_SET) != 0 || std::fwrite(h, 1, sizeof h, wav) != sizeof h ||
        std::fseek(wav, 0, SEEK_END) != 0 || std::fflush(wav) != 0)
        wav_fail("can't write");
}

void wav_append(const float* samples, size_t frames) {
    if (!wav || wav_data_bytes >= wav_max_data) return;
    unsigned char bytes[4 * advance_chunk];
    size_t n = std::min<uint64_t>(frames, (wav_max_data - wav_data_bytes) / 4);
    for (size_t i = 0; i < 2 * n; ++i)
        put_u16(bytes + 2 * i, static_cast<uint16_t>(mixer_to_s16(samples[i])));
    if (std::fwrite(bytes, 4, n, wav) != n) {
        wav_fail("can't write");
        return;
    }
    wav_data_bytes += 4 * n;
}

}  // namespace

bool music_init() { return true; }

void music_start() {}

StreamHandle music_open(const char* path, bool loop) { return mixer_open(path, loop); }

void music_free(StreamHandle stream) { mixer_free(stream); }

void music_play(StreamHandle stream) {
    MixStream* s = mixer_find(stream);
    if (!s || s->playing) return;
    if (s->decoded || held)
        s->playing = true;
    else
        mixer_clock_play(*s, now());
}

void music_stop_all() {
    for (int i = 0; i < max_streams; ++i) {
        MixStream* s = mixer_stream_at(i);
        if (!s) continue;
        if (s->decoded || held)
            s->playing = false;
        else
            mixer_clock_stop(*s, now());
    }
}

uint64_t music_position_bytes(StreamHandle stream) {
    MixStream* s = mixer_find(stream);
    if (!s) return 0;
    double frames = s->decoded ? static_cast<double>(s->mixed) : mixer_clock_frames(*s, now());
    mixer_note_end(*s, frames, false);
    return mixer_position_bytes(*s, frames, false);
}

double music_bytes_to_seconds(StreamHandle stream, uint64_t bytes) {
    return mixer_bytes_to_seconds(mixer_find(stream), bytes);
}

void music_offline_advance(double seconds) {
    if (!(seconds > 0)) return;  // also refuses NaN
    clock_seconds += seconds;
    if (held) {
        hold_seconds += seconds;
        const int64_t step = std::llround(hold_seconds * mix_rate) - hold_frames;
        hold_frames += step;
        clock_frames += static_cast<uint64_t>(step);
        for (int i = 0; i < max_streams; ++i) {
            MixStream* s = mixer_stream_at(i);
            if (s && s->decoded && s->playing) s->mixed += static_cast<uint64_t>(step);
        }
        return;
    }
    // Frames follow the summed seconds, so many small steps don't drift.
    uint64_t target = static_cast<uint64_t>(std::llround(clock_seconds * mix_rate));
    while (clock_frames < target) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(advance_chunk, target - clock_frames));
        mixer_mix(mix_buffer, n, now());
        wav_append(mix_buffer, n);
        clock_frames += n;
    }
    if (wav) wav_write_header();
}

bool music_offline_open_wav(const char* path) {
    music_offline_close_wav();
    wav_path = path;
    wav = std::fopen(path, "wb");
    if (!wav) {
        std::fprintf(stderr, "tangle: %s: can't create: %s\n", path, std::strerror(errno));
        return false;
    }
    wav_data_bytes = 0;
    wav_write_header();
    return wav != nullptr;
}

void music_offline_close_wav() {
    if (!wav) return;
    wav_write_header();
    if (wav && std::fclose(wav) != 0)
        std::fprintf(stderr, "tangle: %s: can't finish writing: %s\n", wav_path.c_str(),
                     std::strerror(errno));
    wav = nullptr;
}

bool music_playing(StreamHandle stream) {
    const MixStream* s = mixer_find(stream);
    return s && s->playing;
}

// Clock-kept streams follow the clock, held or not; only decoded streams
// need their decoders put back where their count stands.
void music_hold(bool on) {
    hold_seconds = 0;
    hold_frames = 0;
    if (on == held) return;
    held = on;
    for (int i = 0; i < max_streams; ++i) {
        MixStream* s = mixer_stream_at(i);
        if (!s || !s->decoded) continue;
        if (!on) mixer_release(*s, false, now());
    }
}

bool music_held() { return held; }

void music_hold_advance(double seconds) {
    if (held) music_offline_advance(seconds);
}

void music_seek(StreamHandle stream, double seconds) {
    MixStream* s = mixer_find(stream);
    if (!s) return;
    const double frames = std::max(0.0, seconds) * mix_rate;
    if (!s->decoded) {
        // Clock-kept: stands at `frames` from now on the clock.
        mixer_set_held(*s, true, frames);
        s->clock_since = now();
        return;
    }
    mixer_set_held(*s, false, frames);
    if (!held) mixer_release(*s, false, now());
}

MusicPlace music_place() {
    MusicPlace place;
    const StreamHandle streams[show_stream_count] = {main_stream, finale_stream, hidden_stream};
    for (int i = 0; i < show_stream_count; ++i) {
        const MixStream* s = mixer_find(streams[i]);
        if (!s) continue;
        place.frames[i] = s->decoded ? static_cast<double>(s->mixed) : mixer_clock_frames(*s, now());
        place.playing[i] = s->playing;
    }
    return place;
}

void music_put_place(const MusicPlace& place) {
    music_hold(true);
    const StreamHandle streams[show_stream_count] = {main_stream, finale_stream, hidden_stream};
    for (int i = 0; i < show_stream_count; ++i) {
        MixStream* s = mixer_find(streams[i]);
        if (!s) continue;
        mixer_set_held(*s, !s->decoded, place.frames[i]);
        s->clock_since = now();
        s->playing = place.playing[i];
    }
}

MusicHoldCount music_hold_count() {
    return held ? MusicHoldCount{hold_seconds, hold_frames} : MusicHoldCount{};
}

void music_set_hold_count(const MusicHoldCount& count) {
    hold_seconds = count.seconds;
    hold_frames = count.frames;
}
