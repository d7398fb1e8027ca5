// Sequencing helpers: step patterns, chord pads, bass lines, arpeggios and
// melodies, placed on a song's beat grid.
#include "synth.h"

static float step_velocity(char c) { return c == 'x' ? 1.0f : (c == 'o' ? 0.55f : 0.0f); }

void play_pattern(Mixdown& m, const std::string& steps, double first_beat, double beats,
                  const std::vector<float>& sound, const Send& s, float duck_depth) {
    const int count = int(beats * 4.0 + 0.5);
    for (int i = 0; i < count; i++) {
        const float v = step_velocity(steps[std::size_t(i) % steps.size()]);
        if (v == 0.0f) continue;
        const int start = frame_at(m, first_beat + i * 0.25);
        Send hit = s;
        hit.gain *= v;
        mix_mono(m, start, sound, hit);
        if (duck_depth > 0.0f) add_duck(m, start, duck_depth * v, float(60.0 / m.bpm) * 0.9f);
    }
}

void play_pads(Mixdown& m, const std::vector<Chord>& chords, double first_beat, double beats_per_chord,
               int count, float cutoff, float velocity, const Send& s) {
    for (int i = 0; i < count; i++) {
        const Chord& c = chords[std::size_t(i) % chords.size()];
        const double beat = first_beat + i * beats_per_chord;
        mix_stereo(m, frame_at(m, beat), make_pad(c.tones, frames_for(m, beats_per_chord), cutoff, velocity),
                   s);
    }
}

void play_bass(Mixdown& m, const std::string& steps, const std::vector<Chord>& chords, double first_beat,
               double beats_per_chord, int count, float cutoff, float velocity, const Send& s) {
    const int steps_per_chord = int(beats_per_chord * 4.0 + 0.5);
    for (int i = 0; i < count; i++) {
        const Chord& c = chords[std::size_t(i) % chords.size()];
        for (int k = 0; k < steps_per_chord; k++) {
            const char ch = steps[std::size_t(k) % steps.size()];
            if (ch != 'x' && ch != 'o') continue;
            // A note holds until the next step that sounds.
            int length = 1;
            while (k + length < steps_per_chord) {
                const char next = steps[std::size_t(k + length) % steps.size()];
                if (next == 'x' || next == 'o') break;
                length++;
            }
            const double beat = first_beat + i * beats_per_chord + k * 0.25;
            const int midi = c.root + (ch == 'o' ? 12 : 0);
            mix_mono(m, frame_at(m, beat),
                     make_bass(midi, frames_for(m, length * 0.25 * 0.85), cutoff, 3.0f, velocity), s);
        }
    }
}

void play_arp(Mixdown& m, const std::vector<Chord>& chords, const std::vector<int>& order, double first_beat,
              double beats_per_chord, int count, double step_beats, int transpose, float cutoff,
              float velocity, const Send& s) {
    const int per_chord = int(beats_per_chord / step_beats + 0.5);
    int index = 0;
    for (int i = 0; i < count; i++) {
        const Chord& c = chords[std::size_t(i) % chords.size()];
        for (int k = 0; k < per_chord; k++, index++) {
            const int o = order[std::size_t(index) % order.size()];
            const int tone = c.tones[std::size_t(o % 10) % c.tones.size()] + (o >= 10 ? 12 : 0) + transpose;
            const double beat = first_beat + i * beats_per_chord + k * step_beats;
            const float accent = (k % 4 == 0) ? 1.0f : 0.75f;
            mix_mono(m, frame_at(m, beat),
                     make_pluck(tone, frames_for(m, step_beats * 0.7), cutoff, velocity * accent), s);
        }
    }
}

void play_melody(Mixdown& m, const std::vector<Note>& notes, Voice voice, float cutoff, const Send& s) {
    for (const Note& n : notes) {
        const int frames = frames_for(m, n.length * 0.92);
        std::vector<float> sound = voice == LEAD   ? make_lead(n.midi, frames, cutoff, n.velocity)
                                   : voice == BELL ? make_bell(n.midi, frames, n.velocity)
                                                   : make_pluck(n.midi, frames, cutoff, n.velocity);
        mix_mono(m, frame_at(m, n.beat), sound, s);
    }
}

void play_roll(Mixdown& m, double first_beat, double beats, const std::vector<float>& sound, const Send& s) {
    // Eighths, then sixteenths for the second half, growing louder.
    const double half = beats / 2.0;
    for (double b = 0.0; b < beats - 1e-9; b += (b < half ? 0.5 : 0.25)) {
        Send hit = s;
        hit.gain *= float(0.3 + 0.7 * b / beats);
        mix_mono(m, frame_at(m, first_beat + b), sound, hit);
    }
}
