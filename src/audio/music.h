// music.h: the music streams, the demo clock and the player they run on.
//
// Two players implement the same functions and one is chosen at link time:
// the live one (libmpg123 decoding, SDL audio output) for the show, and the
// offline one whose clock moves only when told to (capture tool and tests).
// Everything runs on the main thread; the live player's audio callback only
// mixes what the main thread has started.
#pragma once

#include <cstdint>

#include "core/clock.h"  // demo_time, which update_demo_clock sets

// The main music, in the data folder: the show's clock.
inline constexpr const char* main_music_file = "Vextor - Accelerate (kalder demo).mp3";

using StreamHandle = uint32_t;  // 0: no stream

// --- The player (one implementation per backend) ---------------------------
// Opens the output at 44100 Hz. Without a device the player still runs, every
// stream keeping time silently on the wall clock, so it reports true then too.
bool music_init();
void music_start();  // start (or restart) output
// A stream from a file, decoded as it plays. A missing or undecodable file
// gives a silent stream that keeps time from when it is played. One that
// doesn't loop keeps time past its end too, silently, saying so once.
StreamHandle music_open(const char* path, bool loop);
void music_free(StreamHandle stream);                // release; 0 is ignored
void music_play(StreamHandle stream);                // play without restart
void music_stop_all();                               // every stream stops where it stands
uint64_t music_position_bytes(StreamHandle stream);  // what is audible now
double music_bytes_to_seconds(StreamHandle stream, uint64_t bytes);

bool music_playing(StreamHandle stream);  // played and not stopped since

// Hold (both players): the output goes silent and every stream stands where
// it is, moving only by music_hold_advance and music_seek, without decoding,
// so a caller can step through music time faster than it plays. Turning the
// hold on again starts a fresh count for music_hold_advance. Releasing it
// puts every decoder at its stream's position, sample-exact, and sound and
// clocks go on from there.
void music_hold(bool on);
bool music_held();
// While held: every playing stream moves on by `seconds`. Steps are summed
// before they are rounded to samples, so many small ones don't drift.
void music_hold_advance(double seconds);
// Puts a stream at `seconds` (looping streams wrap), sample-exact; it plays
// on from there, or stands there while held or stopped.
void music_seek(StreamHandle stream, double seconds);

// The music's place as a value: where each of the show's three streams
// stands (mixer frames) and whether it plays. Putting a place back holds the
// music there, with a fresh count for music_hold_advance.
constexpr int show_stream_count = 3;  // main, finale, hidden
struct MusicPlace {
    double frames[show_stream_count] = {0, 0, 0};
    bool playing[show_stream_count] = {false, false, false};
    bool operator==(const MusicPlace&) const = default;
};
MusicPlace music_place();
void music_put_place(const MusicPlace& place);
// The hold's count of music_hold_advance steps since it began, which the
// next step is rounded against: put back with a place, stepping on from it
// moves every stream exactly as stepping on from where it was taken did.
struct MusicHoldCount {
    double seconds = 0;
    int64_t frames = 0;
    bool operator==(const MusicHoldCount&) const = default;
};
MusicHoldCount music_hold_count();
void music_set_hold_count(const MusicHoldCount& count);

// Live player only: while on, the show's three streams answer from a stand-in
// place instead of the real ones, which play on untouched and audible: reads,
// play, stop, the hold's steps and places all go to the stand-in, and the
// music counts as held. So the show can be stepped on elsewhere in its music
// between two live frames. The stand-in starts from the place put with
// music_put_place.
void music_stand_in(bool on);

// Offline player only: move its clock forward, mixing into the WAV file if one is open.
void music_offline_advance(double seconds);
// Offline player only: mix everything that plays into a 44100 Hz stereo 16-bit WAV file.
bool music_offline_open_wav(const char* path);
void music_offline_close_wav();

// --- The show's streams and clock (clock.cpp, shared by both players) -------
extern StreamHandle main_stream, finale_stream, hidden_stream;

// Position in seconds: bytes, then bytes to seconds, as one call.
double stream_seconds(StreamHandle stream);
// Start-up: init, open the three streams, play the main one.
void music_setup();
// Stop everything and play `stream` from where it stands (finale, hidden part).
void music_switch_to(StreamHandle stream);
// Per-frame: demo_time and its copy from the main stream.
void update_demo_clock();

// A clock of its own that a part keeps from its own stream (the end credits,
// the hidden part): adds 0.75 of every positive change of that stream's
// position to `clock`, in single precision, and keeps `position` in
// `previous`. Returns the change itself.
inline float advance_derived_clock(float& previous, float& clock, float position) {
    const float step = position - previous;
    previous = position;
    if (step > 0.0f) clock += 0.75f * step;
    return step;
}
