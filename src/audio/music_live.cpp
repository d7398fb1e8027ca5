// music_live.cpp: the show's player, on SDL 1.2's audio output.
//
// Depends on mixer.h and SDL (its audio subsystem only; video is never
// touched). One callback on SDL's audio thread mixes whatever plays into
// 44100 Hz stereo 16-bit; the main thread starts and stops streams and reads
// positions under the same lock.
//
// Position means what is audible now. The callback notes, per stream, where
// the block it just mixed begins and when; a reading moves on from there with
// the steady clock but never past the end of that block. So the position grows
// smoothly between callbacks (frame steps at 60 Hz and more don't stutter) and
// never runs ahead of the sound.
//
// The output is closed at process exit before the mixer's storage goes, so
// the audio thread never mixes into freed memory.
//
// While held (stepping through music time, or paused) the callback plays
// silence and positions move only when the main thread says so.
//
// Without an output device, and for streams whose file is missing or no mp3,
// a stream keeps time on the steady clock from the moment it is played, so
// the show still runs, silently.

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "audio/mixer.h"
#include "audio/music.h"

namespace {

constexpr int device_frames = 1024;  // frames per callback, about 23 ms

std::mutex lock;  // the stream table, against the callback
bool init_called = false;
bool device_open = false;
std::vector<float> mix_buffer;  // grown only if SDL asks for an unusual block
const auto clock_origin = std::chrono::steady_clock::now();
bool held = false;
double hold_seconds = 0;  // summed music_hold_advance steps since the hold began
int64_t hold_frames = 0;  // the same, in mixer frames already given out

// The stand-in place the show's streams answer from while standing_in.
bool standing_in = false;
MusicPlace stand_in;
MusicHoldCount stand_in_count;

// The stand-in slot of a stream: 0 to 2 for the show's streams, else -1.
int stand_in_slot(StreamHandle stream) {
    if (!standing_in || stream == 0) return -1;
    if (stream == main_stream) return 0;
    if (stream == finale_stream) return 1;
    return stream == hidden_stream ? 2 : -1;
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - clock_origin).count();
}

bool keeps_clock(const MixStream& s) { return !s.decoded || !device_open; }

// Mixer frames audible at `t` for a decoded stream on the device.
double audible_frames(const MixStream& s, double t) {
    if (!s.playing) return static_cast<double>(s.mixed);
    double ahead = std::max(0.0, t - s.block_time) * mix_rate;
    return std::min(static_cast<double>(s.block_start) + ahead, static_cast<double>(s.mixed));
}

double stream_frames(const MixStream& s, double t) {
    if (held) return mixer_held_frames(s, keeps_clock(s));
    return keeps_clock(s) ? mixer_clock_frames(s, t) : audible_frames(s, t);
}

void audio_callback(void*, Uint8* out, int len) {
    double t = now();
    size_t frames = static_cast<size_t>(len) / 4;
    std::lock_guard<std::mutex> guard(lock);
    if (held) {
        std::fill(out, out + len, Uint8{0});
        return;
    }
    if (mix_buffer.size() < 2 * frames) mix_buffer.resize(2 * frames);
    mixer_mix(mix_buffer.data(), frames, t);
    int16_t* samples = reinterpret_cast<int16_t*>(out);
    for (size_t i = 0; i < 2 * frames; ++i) samples[i] = mixer_to_s16(mix_buffer[i]);
}

// At process exit, before any static storage the callback mixes from is
// destroyed: registered after all of it was built, it runs before its
// destructors. Closing waits for the audio thread to leave the callback.
void close_output() {
    if (!device_open) return;
    SDL_PauseAudio(1);
    SDL_CloseAudio();
    device_open = false;
}

void report_no_device(const char* why) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    std::fprintf(stderr, "tangle: audio device (%s): %s; the music plays silently on the wall clock\n",
                 driver && *driver ? driver : "default", why);
}

}  // namespace

bool music_init() {
    // Without a device the player still works (every stream on the wall
    // clock), so this reports success and the show keeps its clock.
    if (init_called) return true;
    init_called = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        report_no_device(SDL_GetError());
        return true;
    }
    SDL_AudioSpec want{};
    want.freq = mix_rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = device_frames;
    want.callback = audio_callback;
    mix_buffer.resize(2 * device_frames);
    // No "obtained" format asked for: SDL converts to whatever the device takes.
    if (SDL_OpenAudio(&want, nullptr) != 0) {
        report_no_device(SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return true;
    }
    device_open = true;
    std::atexit(close_output);
    SDL_PauseAudio(0);
    return true;
}

void music_start() {
    if (device_open && !standing_in) SDL_PauseAudio(0);
}

StreamHandle music_open(const char* path, bool loop) {
    std::lock_guard<std::mutex> guard(lock);
    return mixer_open(path, loop);
}

void music_free(StreamHandle stream) {
    std::lock_guard<std::mutex> guard(lock);
    mixer_free(stream);
}

void music_play(StreamHandle stream) {
    std::lock_guard<std::mutex> guard(lock);
    if (standing_in) {
        if (const int slot = stand_in_slot(stream); slot >= 0) stand_in.playing[slot] = true;
        return;
    }
    MixStream* s = mixer_find(stream);
    if (!s || s->playing) return;
    if (held) {
        s->playing = true;
        return;
    }
    double t = now();
    if (keeps_clock(*s)) {
        mixer_clock_play(*s, t);
        return;
    }
    s->playing = true;
    s->block_start = s->mixed;  // nothing new is audible before the next callback
    s->block_time = t;
}

void music_stop_all() {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (standing_in) {
            for (bool& playing : stand_in.playing) playing = false;
            return;
        }
        double t = now();
        for (int i = 0; i < max_streams; ++i) {
            MixStream* s = mixer_stream_at(i);
            if (!s) continue;
            if (held) {
                s->playing = false;  // it stands at its held position
            } else if (keeps_clock(*s)) {
                mixer_clock_stop(*s, t);
            } else if (s->playing) {
                // Mixed but not yet heard is given back, so a later play
                // resumes exactly where the sound stopped.
                mixer_rewind(*s, static_cast<uint64_t>(audible_frames(*s, t)));
                s->playing = false;
            }
        }
    }
    if (device_open) SDL_PauseAudio(1);
}

uint64_t music_position_bytes(StreamHandle stream) {
    std::lock_guard<std::mutex> guard(lock);
    MixStream* s = mixer_find(stream);
    if (!s) return 0;
    if (const int slot = stand_in_slot(stream); slot >= 0)
        return mixer_position_bytes(*s, stand_in.frames[slot], keeps_clock(*s));
    double frames = stream_frames(*s, now());
    mixer_note_end(*s, frames, keeps_clock(*s));
    return mixer_position_bytes(*s, frames, keeps_clock(*s));
}

double music_bytes_to_seconds(StreamHandle stream, uint64_t bytes) {
    std::lock_guard<std::mutex> guard(lock);
    return mixer_bytes_to_seconds(mixer_find(stream), bytes);
}

bool music_playing(StreamHandle stream) {
    std::lock_guard<std::mutex> guard(lock);
    if (const int slot = stand_in_slot(stream); slot >= 0) return stand_in.playing[slot];
    const MixStream* s = mixer_find(stream);
    return s && s->playing;
}

void music_hold(bool on) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (standing_in) {
            stand_in_count = MusicHoldCount{};
            return;
        }
        double t = now();
        hold_seconds = 0;
        hold_frames = 0;
        if (on == held) return;
        for (int i = 0; i < max_streams; ++i) {
            MixStream* s = mixer_stream_at(i);
            if (!s) continue;
            if (on)
                mixer_set_held(*s, keeps_clock(*s), stream_frames(*s, t));
            else
                mixer_release(*s, keeps_clock(*s), t);
        }
        held = on;
    }
    if (device_open) SDL_PauseAudio(on ? 1 : 0);
}

bool music_held() { return held || standing_in; }

void music_hold_advance(double seconds) {
    std::lock_guard<std::mutex> guard(lock);
    if (standing_in) {
        if (!(seconds > 0)) return;
        stand_in_count.seconds += seconds;
        const int64_t target = std::llround(stand_in_count.seconds * mix_rate);
        const double step = static_cast<double>(target - stand_in_count.frames);
        stand_in_count.frames = target;
        for (int i = 0; i < show_stream_count; ++i)
            if (stand_in.playing[i]) stand_in.frames[i] += step;
        return;
    }
    if (!held || !(seconds > 0)) return;
    hold_seconds += seconds;
    const int64_t target = std::llround(hold_seconds * mix_rate);
    const double step = static_cast<double>(target - hold_frames);
    hold_frames = target;
    for (int i = 0; i < max_streams; ++i) {
        MixStream* s = mixer_stream_at(i);
        if (s && s->playing)
            mixer_set_held(*s, keeps_clock(*s), mixer_held_frames(*s, keeps_clock(*s)) + step);
    }
}

void music_seek(StreamHandle stream, double seconds) {
    std::lock_guard<std::mutex> guard(lock);
    if (const int slot = stand_in_slot(stream); slot >= 0) {
        stand_in.frames[slot] = std::max(0.0, seconds) * mix_rate;
        return;
    }
    MixStream* s = mixer_find(stream);
    if (!s) return;
    mixer_set_held(*s, keeps_clock(*s), std::max(0.0, seconds) * mix_rate);
    if (!held) mixer_release(*s, keeps_clock(*s), now());
}

MusicPlace music_place() {
    std::lock_guard<std::mutex> guard(lock);
    if (standing_in) return stand_in;
    MusicPlace place;
    const double t = now();
    const StreamHandle streams[show_stream_count] = {main_stream, finale_stream, hidden_stream};
    for (int i = 0; i < show_stream_count; ++i) {
        const MixStream* s = mixer_find(streams[i]);
        if (!s) continue;
        place.frames[i] = stream_frames(*s, t);
        place.playing[i] = s->playing;
    }
    return place;
}

void music_put_place(const MusicPlace& place) {
    music_hold(true);
    std::lock_guard<std::mutex> guard(lock);
    if (standing_in) {
        stand_in = place;
        return;
    }
    const StreamHandle streams[show_stream_count] = {main_stream, finale_stream, hidden_stream};
    for (int i = 0; i < show_stream_count; ++i) {
        MixStream* s = mixer_find(streams[i]);
        if (!s) continue;
        mixer_set_held(*s, keeps_clock(*s), place.frames[i]);
        s->playing = place.playing[i];
    }
}

MusicHoldCount music_hold_count() {
    std::lock_guard<std::mutex> guard(lock);
    if (standing_in) return stand_in_count;
    return held ? MusicHoldCount{hold_seconds, hold_frames} : MusicHoldCount{};
}

void music_set_hold_count(const MusicHoldCount& count) {
    std::lock_guard<std::mutex> guard(lock);
    if (standing_in) {
        stand_in_count = count;
        return;
    }
    hold_seconds = count.seconds;
    hold_frames = count.frames;
}

void music_stand_in(bool on) {
    std::lock_guard<std::mutex> guard(lock);
    standing_in = on;
}
