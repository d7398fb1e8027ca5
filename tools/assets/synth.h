// A small offline synthesizer: instruments render single notes into sample
// vectors, which are mixed into a song's buses (dry, side-chained, delay and
// reverb sends); effects.cpp turns the buses into the final stereo signal.
// Everything is deterministic: fixed seeds, no clocks, one thread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int sample_rate = 44100;

struct Stereo {
    std::vector<float> l, r;
};

struct Mixdown {
    int frames = 0;
    bool cyclic = false;  // a loop: sounds running past the end wrap to the start
    double bpm = 120.0;
    double start_beat = 0.0;  // a loop's file starts at this beat of the buffer
    Stereo dry, ducked, delay_send, reverb_send;
    std::vector<float> duck;  // gain of the ducked bus, lowered by each kick
};

struct Send {
    float gain = 1.0f;
    float pan = 0.0f;  // -1 left .. 1 right
    float delay = 0.0f;
    float reverb = 0.0f;
    bool ducked = false;
};

struct Note {
    double beat;    // start, in beats from the song's start
    double length;  // in beats
    int midi;
    float velocity;
};

Mixdown new_mixdown(double bpm, double beats, bool cyclic);
int frame_at(const Mixdown& m, double beat);
int frames_for(const Mixdown& m, double beats);
void mix_mono(Mixdown& m, int start, const std::vector<float>& signal, const Send& s);
void mix_stereo(Mixdown& m, int start, const Stereo& signal, const Send& s);
void add_duck(Mixdown& m, int start, float depth, float seconds);

float midi_hz(int midi);
int note_number(const std::string& name);  // "A4" -> 69, "C#5" -> 73
// A melody line: "E5:1.5 D5:.5 -:1 | A4:2" (note:beats, "-" rests, "|" is a
// bar mark for the reader only). Notes start at first_beat.
std::vector<Note> parse_line(const std::string& text, double first_beat, float velocity);

// Instruments. Lengths are in frames; sounds include their own release.
std::vector<float> make_kick(float velocity, float pitch);
std::vector<float> make_snare(float velocity);
std::vector<float> make_clap(float velocity);
std::vector<float> make_hat(float velocity, bool open);
std::vector<float> make_crash(float velocity);
std::vector<float> make_bass(int midi, int frames, float cutoff, float envelope, float velocity);
Stereo make_pad(const std::vector<int>& midis, int frames, float cutoff, float velocity);
std::vector<float> make_pluck(int midi, int frames, float cutoff, float velocity);
std::vector<float> make_lead(int midi, int frames, float cutoff, float velocity);
std::vector<float> make_bell(int midi, int frames, float velocity);
std::vector<float> make_riser(int frames, float from_hz, float to_hz, float velocity);

// Deterministic noise for the instruments; reseeded per song.
void seed_noise(std::uint32_t seed);
float next_noise();  // -1..1

// Sequencing. A step pattern has one character per sixteenth note, repeated
// over the span: 'x' full, 'o' soft, anything else a rest.
struct Chord {
    int root;                // bass note
    std::vector<int> tones;  // pad voicing
};
void play_pattern(Mixdown& m, const std::string& steps, double first_beat, double beats,
                  const std::vector<float>& sound, const Send& s, float duck_depth = 0.0f);
void play_pads(Mixdown& m, const std::vector<Chord>& chords, double first_beat, double beats_per_chord,
               int count, float cutoff, float velocity, const Send& s);
// Bass on the pattern's steps: 'x' the root, 'o' an octave up.
void play_bass(Mixdown& m, const std::string& steps, const std::vector<Chord>& chords, double first_beat,
               double beats_per_chord, int count, float cutoff, float velocity, const Send& s);
// Arpeggio through the chord tones (order lists tone indices, +10 an octave up).
void play_arp(Mixdown& m, const std::vector<Chord>& chords, const std::vector<int>& order, double first_beat,
              double beats_per_chord, int count, double step_beats, int transpose, float cutoff,
              float velocity, const Send& s);
enum Voice { LEAD, BELL, PLUCK };
void play_melody(Mixdown& m, const std::vector<Note>& notes, Voice voice, float cutoff, const Send& s);
void play_roll(Mixdown& m, double first_beat, double beats, const std::vector<float>& sound, const Send& s);

// The finished song as 16-bit stereo, interleaved.
std::vector<std::int16_t> master_song(Mixdown& m, float gain_db, float ceiling_db);
// A loop's file order: the frames from start_beat on, then the ones before.
std::vector<std::int16_t> rotate_to_start(const Mixdown& m, const std::vector<std::int16_t>& pcm);

Mixdown render_main_song();
Mixdown render_finale_song();
Mixdown render_hidden_song();
