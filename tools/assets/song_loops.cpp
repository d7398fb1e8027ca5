// The two looped tracks. Both are rendered as cycles: every sound that runs
// past the end wraps to the start, so the wrap of the looped stream is
// seamless.
//   finale: 75 beats per minute, 24 bars, calm: pads and bells, then a soft
//           groove with an arpeggio, then a melody, thinning toward the wrap.
//   hidden: 90 beats per minute, 32 bars in four 8-bar sections; a phrase starts
//           every 8 beats (16/3 s). The file starts 2 beats into a phrase, so
//           phrases begin at 4 s, 4 + 16/3 s, ... and the loop length is a
//           whole number of phrases.
#include "synth.h"

Mixdown render_finale_song() {
    seed_noise(7031U);
    Mixdown m = new_mixdown(75.0, 96.0, true);
    const Chord Fmaj7{41, {53, 57, 60, 64}};
    const Chord Em7{40, {52, 55, 59, 62}};
    const Chord Dm7{38, {50, 53, 57, 60}};
    const Chord Cmaj7{36, {48, 52, 55, 59}};
    const std::vector<Chord> changes{Fmaj7, Em7, Dm7, Cmaj7};
    const Send pad_send{0.9f, 0.0f, 0.0f, 0.5f, true};
    const Send bell_send{0.55f, 0.25f, 0.45f, 0.7f, false};
    const Send arp_send{0.4f, -0.35f, 0.6f, 0.45f, true};
    const Send bass_send{0.6f, 0.0f, 0.0f, 0.1f, true};
    const char* const bells = "A5:3 G5:1 E5:2 C5:2 | B4:3 D5:1 E5:4 | F5:3 E5:1 D5:2 A4:2 | G4:2 B4:2 C5:4";
    const char* const melody =
        "C6:2 A5:2 G5:1 E5:1 G5:2 | B5:4 G5:2 E5:2 | A5:2 F5:2 E5:1 D5:1 F5:2 | E5:6 -:2";

    play_pads(m, changes, 0.0, 8.0, 12, 1000.0f, 0.75f, pad_send);
    play_melody(m, parse_line(bells, 0.0, 0.4f), BELL, 0.0f, bell_send);

    const std::vector<float> kick = make_kick(0.45f, 48.0f);
    const std::vector<float> hat = make_hat(0.2f, false);
    play_bass(m, "x.......", changes, 32.0, 8.0, 8, 250.0f, 0.5f, bass_send);
    play_arp(m, changes, {0, 1, 2, 3, 10, 3, 2, 1}, 32.0, 8.0, 8, 0.5, 12, 1200.0f, 0.22f, arp_send);
    play_pattern(m, "x.......x.......", 32.0, 56.0, kick, Send{1.0f, 0.0f, 0.0f, 0.1f, false}, 0.35f);
    play_pattern(m, "..o...o...o...o.", 36.0, 52.0, hat, Send{0.7f, 0.3f, 0.2f, 0.2f, false});
    play_melody(m, parse_line(melody, 64.0, 0.45f), LEAD, 1400.0f, Send{0.5f, 0.1f, 0.5f, 0.55f, false});
    play_melody(m, parse_line("E5:4 G5:4 A5:8", 88.0, 0.3f), BELL, 0.0f, bell_send);
    return m;
}

Mixdown render_hidden_song() {
    seed_noise(90U);
    Mixdown m = new_mixdown(90.0, 128.0, true);
    m.start_beat = 2.0;
    const Chord Dm{38, {50, 53, 57, 62}};
    const Chord Bb{34, {50, 53, 58, 62}};
    const Chord C{36, {48, 52, 55, 60}};
    const Chord A{33, {49, 52, 57, 61}};
    const std::vector<Chord> changes{Dm, Bb, C, A};
    const char* const lead =
        "D5:.5 F5:.5 A5:1 G5:.5 F5:.5 E5:1 | D5:.5 F5:.5 Bb5:1 A5:1 F5:1 | G5:.5 A5:.5 G5:.5 F5:.5 E5:1 C5:1 "
        "|"
        "E5:1.5 C#5:.5 A4:2 | D5:.5 F5:.5 A5:1 D6:1 C6:.5 A5:.5 | Bb5:1 A5:.5 G5:.5 F5:1 D5:1 |"
        "E5:.5 F5:.5 G5:1 C6:1 Bb5:.5 G5:.5 | A5:3 -:1";

    const std::vector<float> kick = make_kick(0.8f, 52.0f);
    const std::vector<float> clap = make_clap(0.5f);
    const std::vector<float> snare = make_snare(0.55f);
    const std::vector<float> hat = make_hat(0.3f, false);
    const std::vector<float> crash = make_crash(0.4f);
    const Send drums{1.0f, 0.0f, 0.0f, 0.06f, false};
    const Send clap_send{1.0f, 0.0f, 0.1f, 0.25f, false};
    const Send hat_send{1.0f, 0.3f, 0.0f, 0.05f, false};
    const Send bass_send{0.65f, 0.0f, 0.0f, 0.0f, true};
    const Send arp_send{0.5f, -0.3f, 0.4f, 0.2f, true};
    const Send pad_send{0.7f, 0.0f, 0.0f, 0.4f, true};
    const Send lead_send{0.6f, 0.1f, 0.3f, 0.3f, false};

    // A cymbal marks every phrase start.
    play_pattern(m, std::string("x") + std::string(31, '.'), 0.0, 128.0, crash,
                 Send{0.5f, -0.2f, 0.0f, 0.2f, false});
    // Sections 1, 2 and 4: the groove; section 3 drops the drums.
    for (double part : {0.0, 32.0, 96.0}) {
        play_pattern(m, "x...x...x...x...", part, 32.0, kick, drums, 0.55f);
        play_pattern(m, "..x...x...x...x.", part, 32.0, hat, hat_send);
        play_pattern(m, "o.o.o.o.o.o.o.o.", part, 32.0, hat, Send{0.5f, -0.3f, 0.0f, 0.0f, false});
        play_bass(m, "x.o.x.o.x.o.x.o.", changes, part, 4.0, 8, 700.0f, 0.7f, bass_send);
    }
    play_pattern(m, "....x.......x...", 32.0, 32.0, clap, clap_send);
    play_pattern(m, "....x.......x...", 96.0, 28.0, clap, clap_send);
    play_arp(m, changes, {0, 2, 1, 3, 10, 3, 2, 12}, 0.0, 4.0, 32, 0.25, 12, 2200.0f, 0.3f, arp_send);
    play_melody(m, parse_line(lead, 32.0, 0.75f), LEAD, 2800.0f, lead_send);
    // Section 3: pads and bells over a held bass, a riser into section 4.
    play_pads(m, changes, 64.0, 4.0, 8, 1300.0f, 0.6f, pad_send);
    play_bass(m, "x...............", changes, 64.0, 4.0, 8, 300.0f, 0.6f, bass_send);
    play_melody(
        m,
        parse_line("A5:2 D6:2 | F6:4 | E6:2 C6:2 | A5:4 | D6:2 F6:2 | A6:4 | G6:2 E6:2 | C#6:4", 64.0, 0.35f),
        BELL, 0.0f, Send{0.5f, 0.25f, 0.45f, 0.6f, false});
    mix_mono(m, frame_at(m, 88.0), make_riser(frames_for(m, 8.0), 300.0f, 7000.0f, 0.55f),
             Send{1.0f, 0.0f, 0.2f, 0.3f, false});
    // Section 4: the lead an octave up, a roll into the wrap.
    std::vector<Note> high = parse_line(lead, 96.0, 0.65f);
    for (Note& n : high) n.midi += 12;
    play_melody(m, high, LEAD, 3500.0f, Send{0.45f, -0.1f, 0.35f, 0.3f, false});
    play_roll(m, 124.0, 4.0, snare, clap_send);
    return m;
}
