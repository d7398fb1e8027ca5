// The main track, 120 beats per minute (a bar every 2 s), its sections laid
// on the show's scenes: quiet intro, title, the lattice's entry at 20 s, a
// break at 33 s, the main body, the web and trail part from 84 s, the bridge
// from 110 s, the countdown gap from 120 s with hits from 140 s, the climax
// from 160 s and the final chord at 180 s, ringing out to 188 s.
#include "synth.h"

namespace {

const Chord Am{33, {57, 60, 64, 67}};
const Chord F{29, {53, 57, 60, 64}};
const Chord C{36, {55, 60, 64, 67}};
const Chord G{31, {55, 59, 62, 67}};
const Chord Dm{38, {57, 62, 65, 69}};
const Chord Em{28, {55, 59, 64, 67}};
const Chord E{28, {56, 59, 64, 68}};

const std::vector<Chord> main_changes{Am, F, C, G};
const std::vector<Chord> web_changes{F, G, Em, Am};
const std::vector<Chord> bridge_changes{Dm, Em, F, G, E};

const char* const theme_a =
    "E5:1.5 D5:.5 C5:1 A4:1 | C5:1.5 D5:.5 E5:1 F5:1 | G5:1.5 E5:.5 C5:1 E5:1 | D5:3 -:1 |"
    "E5:1.5 D5:.5 C5:1 A4:1 | C5:1 D5:1 E5:1 G5:1 | A5:1.5 G5:.5 E5:1 C5:1 | D5:2 B4:2";
const char* const theme_b =
    "A5:.5 A5:.5 G5:.5 E5:1 D5:.5 E5:1 | F5:.5 E5:.5 C5:1 A4:1 C5:1 | E5:.5 E5:.5 D5:.5 C5:1 D5:.5 E5:1 |"
    "G5:2 D5:2 | A5:.5 A5:.5 G5:.5 E5:1 D5:.5 E5:1 | F5:.5 G5:.5 A5:1 C6:1 A5:1 | G5:.5 E5:.5 C5:1 G5:1 E5:1 "
    "|"
    "D5:4";
const char* const trail_line =
    "A4:2 C5:2 | B4:2 D5:2 | G4:2 B4:1 E5:1 | A4:4 | C5:2 A4:2 | D5:2 B4:2 | E5:3 D5:1 | C5:4";
const char* const countdown_bells = "E6:4 -:4 C6:4 -:4 A5:4 -:4 B5:4 -:4 G5:4 -:4";

}  // namespace

Mixdown render_main_song() {
    seed_noise(20261207U);
    Mixdown m = new_mixdown(120.0, 376.0, false);

    const std::vector<float> kick = make_kick(0.8f, 50.0f);
    const std::vector<float> soft_kick = make_kick(0.5f, 55.0f);
    const std::vector<float> clap = make_clap(0.55f);
    const std::vector<float> snare = make_snare(0.6f);
    const std::vector<float> hat = make_hat(0.45f, false);
    const std::vector<float> open_hat = make_hat(0.4f, true);
    const std::vector<float> crash = make_crash(0.6f);

    const Send drums{1.0f, 0.0f, 0.0f, 0.08f, false};
    const Send clap_send{1.0f, 0.05f, 0.1f, 0.25f, false};
    const Send hat_send{1.0f, 0.25f, 0.0f, 0.05f, false};
    const Send pad_send{0.95f, 0.0f, 0.0f, 0.4f, true};
    const Send bass_send{0.7f, 0.0f, 0.0f, 0.0f, true};
    const Send arp_send{0.7f, -0.3f, 0.45f, 0.25f, true};
    const Send lead_send{0.75f, 0.1f, 0.3f, 0.35f, false};
    const Send bell_send{0.55f, 0.2f, 0.4f, 0.6f, false};
    const Send crash_send{0.8f, -0.2f, 0.0f, 0.3f, false};
    const std::vector<int> up{0, 1, 2, 3, 10, 3, 2, 1};
    const std::vector<int> climb{0, 2, 10, 1, 3, 11, 2, 12};

    // Intro, 0 to 6 s: a dark chord and a few bells.
    play_pads(m, {Am}, 0.0, 12.0, 1, 500.0f, 0.55f, pad_send);
    play_melody(m, parse_line("-:2 A5:2 E5:4 C6:4", 0.0, 0.35f), BELL, 0.0f, bell_send);

    // Title, 6 to 20 s: the changes enter with an arpeggio, hats, a roll.
    play_pads(m, {Am, F, C, G, Am, F, G}, 12.0, 4.0, 7, 900.0f, 0.6f, pad_send);
    play_arp(m, {Am, F, C, G, Am, F, G}, up, 12.0, 4.0, 7, 0.25, 12, 1400.0f, 0.35f, arp_send);
    play_pattern(m, "..o...o...o...o.", 24.0, 16.0, hat, hat_send);
    play_pattern(m, "x...............", 28.0, 8.0, soft_kick, drums);
    play_bass(m, "x.......x.......", {Am, F, G}, 28.0, 4.0, 3, 300.0f, 0.5f, bass_send);
    mix_mono(m, frame_at(m, 32.0), make_riser(frames_for(m, 8.0), 300.0f, 6000.0f, 0.5f),
             Send{1.0f, 0.0f, 0.2f, 0.3f, false});
    play_roll(m, 36.0, 4.0, snare, clap_send);

    // The lattice, 20 to 33 s: the full groove.
    mix_mono(m, frame_at(m, 40.0), crash, crash_send);
    play_pattern(m, "x...x...x...x...", 40.0, 26.0, kick, drums, 0.6f);
    play_pattern(m, "....x.......x...", 40.0, 26.0, clap, clap_send);
    play_pattern(m, "..x...x...x...x.", 40.0, 26.0, hat, hat_send);
    play_pattern(m, "o.o.o.o.o.o.o.o.", 40.0, 26.0, hat, Send{0.5f, -0.3f, 0.0f, 0.0f, false});
    play_bass(m, "..x...o...x...o.", main_changes, 40.0, 4.0, 7, 500.0f, 0.8f, bass_send);
    play_pads(m, main_changes, 40.0, 4.0, 7, 1400.0f, 0.55f, pad_send);
    play_arp(m, main_changes, up, 40.0, 4.0, 7, 0.25, 12, 2000.0f, 0.35f, arp_send);

    // Break around the torus, 33 to 38 s.
    play_pads(m, {F, G}, 66.0, 5.0, 2, 700.0f, 0.7f, pad_send);
    play_bass(m, "x...............", {F, G}, 66.0, 5.0, 2, 200.0f, 0.55f, bass_send);
    play_melody(m, parse_line("C6:1 A5:1 G5:1 E5:2 D5:2 B4:3", 66.0, 0.3f), BELL, 0.0f, bell_send);
    mix_mono(m, frame_at(m, 72.0), make_riser(frames_for(m, 4.0), 400.0f, 8000.0f, 0.6f),
             Send{1.0f, 0.0f, 0.2f, 0.3f, false});

    // Main body, 38 to 84 s: three eight-bar parts.
    mix_mono(m, frame_at(m, 76.0), crash, crash_send);
    play_pattern(m, "x...x...x...x...", 76.0, 92.0, kick, drums, 0.6f);
    play_pattern(m, "....x.......x...", 76.0, 88.0, clap, clap_send);
    play_pattern(m, "..x...x...x...x.", 76.0, 92.0, hat, hat_send);
    play_pads(m, main_changes, 76.0, 4.0, 23, 1800.0f, 0.5f, pad_send);
    play_bass(m, "..x...o...x...o.", main_changes, 76.0, 4.0, 8, 600.0f, 0.8f, bass_send);
    play_melody(m, parse_line(theme_a, 76.0, 0.8f), LEAD, 2500.0f, lead_send);
    // The glow sphere's entry at 44 s brings in the arpeggio.
    mix_mono(m, frame_at(m, 88.0), crash, crash_send);
    play_arp(m, {G, Am, F, C}, up, 88.0, 4.0, 5, 0.5, 12, 1800.0f, 0.3f, arp_send);

    mix_mono(m, frame_at(m, 108.0), crash, crash_send);
    play_pattern(m, "..x...x...x...x.", 108.0, 32.0, open_hat, hat_send);
    play_pattern(m, "oooooooooooooooo", 108.0, 32.0, hat, Send{0.45f, -0.35f, 0.0f, 0.0f, false});
    play_pattern(m, "......o.......o.", 108.0, 32.0, snare, Send{0.4f, 0.1f, 0.0f, 0.15f, false});
    play_bass(m, ".xox.xox.xox.xoo", main_changes, 108.0, 4.0, 8, 700.0f, 0.7f, bass_send);
    play_melody(m, parse_line(theme_b, 108.0, 0.8f), LEAD, 3000.0f, lead_send);

    mix_mono(m, frame_at(m, 140.0), crash, crash_send);
    play_bass(m, "..x...o...x...o.", main_changes, 140.0, 4.0, 7, 650.0f, 0.8f, bass_send);
    play_arp(m, main_changes, climb, 140.0, 4.0, 7, 0.25, 24, 2600.0f, 0.3f, arp_send);
    play_melody(m, parse_line(theme_a, 140.0, 0.7f), LEAD, 2000.0f, Send{0.45f, -0.1f, 0.45f, 0.4f, false});
    play_roll(m, 164.0, 4.0, snare, clap_send);

    // Half-bar fills close the eight-bar phrases.
    for (double beat : {54.0, 106.0, 138.0, 334.0, 350.0})
        play_roll(m, beat, 2.0, snare, Send{0.8f, 0.1f, 0.1f, 0.2f, false});
    for (double beat : {107.5, 139.5, 351.5}) mix_mono(m, frame_at(m, beat), open_hat, hat_send);

    // Web and trail, 84 to 106 s: half-time drums, long echoes.
    mix_mono(m, frame_at(m, 168.0), crash, crash_send);
    play_pattern(m, "x.........x.....", 168.0, 44.0, kick, drums, 0.5f);
    play_pattern(m, "........x.......", 168.0, 44.0, clap, Send{1.0f, 0.0f, 0.3f, 0.35f, false});
    play_pattern(m, "o.oxo.oxo.oxo.ox", 168.0, 44.0, hat, Send{0.6f, 0.3f, 0.0f, 0.05f, false});
    play_pads(m, web_changes, 168.0, 4.0, 11, 1200.0f, 0.55f, pad_send);
    play_bass(m, "x.......x..o....", web_changes, 168.0, 4.0, 11, 400.0f, 0.8f, bass_send);
    play_arp(m, web_changes, {0, 2, 1, 3}, 168.0, 4.0, 11, 0.75, 24, 1600.0f, 0.3f,
             Send{0.5f, 0.35f, 0.7f, 0.4f, true});
    play_melody(m, parse_line(trail_line, 168.0, 0.7f), LEAD, 1600.0f,
                Send{0.5f, -0.15f, 0.55f, 0.5f, false});

    // Breath, 106 to 110 s.
    play_pads(m, {Am}, 212.0, 8.0, 1, 800.0f, 0.6f, pad_send);
    play_melody(m, parse_line("E5:2 G5:2 A5:4", 212.0, 0.35f), BELL, 0.0f, bell_send);

    // Bridge, 110 to 120 s: rising chords and drums.
    play_pads(m, bridge_changes, 220.0, 4.0, 5, 1000.0f, 0.65f, pad_send);
    play_bass(m, "x.x.x.x.x.x.x.x.", bridge_changes, 220.0, 4.0, 5, 500.0f, 0.6f, bass_send);
    play_pattern(m, "x...x...x...x...", 224.0, 16.0, kick, drums, 0.5f);
    play_arp(m, bridge_changes, climb, 224.0, 4.0, 4, 0.25, 12, 2200.0f, 0.3f, arp_send);
    mix_mono(m, frame_at(m, 224.0), make_riser(frames_for(m, 16.0), 200.0f, 9000.0f, 0.7f),
             Send{1.0f, 0.0f, 0.2f, 0.3f, false});
    play_roll(m, 232.0, 8.0, snare, clap_send);

    // Countdown gap, 120 to 140 s: a drone, a ticking clock, falling bells.
    mix_mono(m, frame_at(m, 240.0), crash, crash_send);
    play_pads(m, {Am, Am}, 240.0, 20.0, 2, 450.0f, 0.8f, pad_send);
    play_bass(m, "x...............", {Am}, 240.0, 4.0, 10, 180.0f, 0.7f, bass_send);
    play_pattern(m, "x...o...o...o...", 240.0, 40.0, hat, Send{0.8f, 0.4f, 0.25f, 0.1f, false});
    play_melody(m, parse_line(countdown_bells, 240.0, 0.45f), BELL, 0.0f, bell_send);

    // Hits from 140 s, building to the climax.
    play_pattern(m, "x.........x.....", 280.0, 32.0, kick, drums, 0.6f);
    play_pattern(m, "....x.......x...", 280.0, 32.0, clap, clap_send);
    play_pattern(m, "x.......x.......", 280.0, 32.0, crash, Send{0.35f, 0.2f, 0.0f, 0.2f, false});
    play_pattern(m, "..o...o...o...o.", 280.0, 40.0, hat, hat_send);
    play_pads(m, main_changes, 280.0, 4.0, 10, 1100.0f, 0.6f, pad_send);
    play_bass(m, "x..x..x...x..x..", main_changes, 280.0, 4.0, 8, 450.0f, 0.75f, bass_send);
    play_arp(m, main_changes, up, 296.0, 4.0, 6, 0.25, 12, 2000.0f, 0.3f, arp_send);
    play_pattern(m, "x...x...x...x...", 312.0, 8.0, kick, drums, 0.6f);
    play_bass(m, "xoxoxoxoxoxoxoxo", {F, G}, 312.0, 4.0, 2, 600.0f, 0.7f, bass_send);
    mix_mono(m, frame_at(m, 304.0), make_riser(frames_for(m, 16.0), 300.0f, 10000.0f, 0.7f),
             Send{1.0f, 0.0f, 0.2f, 0.3f, false});
    play_roll(m, 312.0, 8.0, snare, clap_send);

    // Climax, 160 to 180 s.
    mix_mono(m, frame_at(m, 320.0), crash, crash_send);
    mix_mono(m, frame_at(m, 336.0), crash, crash_send);
    play_pattern(m, "x...x...x...x...", 320.0, 40.0, kick, drums, 0.6f);
    play_pattern(m, "....x.......x...", 320.0, 40.0, clap, clap_send);
    play_pattern(m, "..x...x...x...x.", 320.0, 40.0, open_hat, hat_send);
    play_pattern(m, "oxoxoxoxoxoxoxox", 320.0, 40.0, hat, Send{0.45f, -0.35f, 0.0f, 0.0f, false});
    play_pads(m, main_changes, 320.0, 4.0, 10, 2400.0f, 0.55f, pad_send);
    play_bass(m, ".xox.xox.xox.xoo", main_changes, 320.0, 4.0, 10, 800.0f, 0.75f, bass_send);
    play_arp(m, main_changes, climb, 320.0, 4.0, 10, 0.25, 24, 3000.0f, 0.28f, arp_send);
    play_melody(m, parse_line(theme_b, 320.0, 0.8f), LEAD, 3500.0f, lead_send);
    play_melody(m, parse_line("E5:1.5 D5:.5 C5:1 A4:1 | C5:1 D5:1 E5:1 G5:1", 352.0, 0.8f), LEAD, 3500.0f,
                lead_send);

    // Final chord at 180 s, ringing out.
    mix_mono(m, frame_at(m, 360.0), crash, crash_send);
    mix_mono(m, frame_at(m, 360.0), kick, drums);
    play_pads(m, {Am}, 360.0, 8.0, 1, 1500.0f, 0.8f, pad_send);
    play_bass(m, "x...............", {Am}, 360.0, 6.0, 1, 300.0f, 0.8f, bass_send);
    play_melody(m, parse_line("A5:4 E6:4", 360.0, 0.45f), BELL, 0.0f, bell_send);
    return m;
}
