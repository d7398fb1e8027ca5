// timeline_rules.h: the arithmetic of the main show, apart from its drawing.
//
// Time windows, trigger clocks, fades, the glow pulse, the burst's dots, the
// title plates' growth and the automatic anchors' noise parameters. Nothing
// here touches OpenGL; the burst's dots draw from the shared generator
// (core/random.h). All times are demo_time units (tenths of a second).
#pragma once

// The grey of the show's lines and flashes (969/1024, exact in a float).
constexpr float ink_grey = 0.9462890625f;

// --- Show-level moments ------------------------------------------------------

// The finale music starts once, on the first frame strictly above 1810.
bool finale_due(float time, int started);
// One frame of the finale switch on the timeline's state: true on the one
// frame that must switch the music. Raises the first unlock flag on the
// frames after the switch, which a viewer reaches by watching to the end.
bool advance_finale(float time);

// Radius of the small glow sphere: 0.05 before Td 750, 0.15 from then on
// (the single-precision values, widened).
double glow_sphere_radius(double time_d);

// --- Trigger clocks of the pulses and flares ---------------------------------

// Advances a flash clock by the frame step and tells whether the flash draws.
// A clock that has fallen W behind T goes back to 0 (idle), so an unstamped
// clock stays 0 and draws nothing; a stamped one runs ahead of T and keeps
// drawing.
bool advance_flash_clock(float& clock, float time, float step, float window);

// Windows of the flash clocks.
constexpr float pulse_d_window = 80.5f;
constexpr float pulse_b_window = 4.5f;
constexpr float pulse_a_window = 3.5f;
constexpr float pulse_e_window = 4.5f;
constexpr float pulse_c_window = 4.5f;
constexpr float flare_window = 9.5f;

// Brightness of a ring, triangle or ray pulse: 1 - |Td - c| / divisor.
float pulse_fade(double time_d, float clock, double divisor);
// Opening of the triangle tunnel: |Td - c| / 80.5, in single precision.
float tunnel_fade(double time_d, float clock);
// Brightness of a flare: 1 - |Td - c| * 0.1 / 9.5.
float flare_fade(double time_d, float clock);
// Turn of a flare about z in degrees, from its stamped value and its fade.
float flare_angle(float value, float fade);
// Second flare's own fade, by T: 1 - (T - c) / 9.5.
float flare_b_dim(float time, float clock);

// End point of the ray pulse: two draws from the shared generator, y first.
struct RayEnd {
    float x, y;
};
RayEnd next_ray_end();

// --- The burst ---------------------------------------------------------------

constexpr int burst_dot_count = 30;

// The burst may show at T up to 850 or from 1050 up to 1100, ends included.
bool burst_window(float time);

// One frame of the burst's clock: true when it draws. An expired burst
// (12.5 tenths after its stamp) has its time set back to 0; a stamp not
// strictly before T shows nothing.
bool advance_burst(float& stamp, float time);

// Base grey and alpha of the burst, fading from 0.25.
float burst_alpha(float time, float stamp);

struct BurstDot {
    float x, y;    // centre, in the plane of the lattice
    float alpha;   // j / 30
    float radius;  // star radius handed to the dot drawer
};
// The 30 dots: reseeds the shared generator with `seed`, then three draws per
// dot, so a burst keeps its dots in place for as long as it shows.
void compute_burst_dots(int seed, float alpha, int count, BurstDot dots[burst_dot_count]);

// --- The glow sphere ---------------------------------------------------------

struct GlowState {
    float time;   // time of the last pulse
    int counter;  // frames counted inside the pulse window
};
// One lattice frame of the glow sphere: counts frames strictly inside 840 to
// 880, restarts the pulse on every multiple of 31 (0 included) and returns
// the square fade f over 5 tenths.
float advance_glow(GlowState& glow, float time);
// Colour of the sphere for a fade: light magenta while 0 < f < 1, else black.
void glow_colour(float fade, float rgba[4]);

// --- Title plates ------------------------------------------------------------

// Growth of the title plates: ((T - 60) / 130)^2 in single precision.
float title_plate_growth(float time);

struct PlateWindow {
    float from, to;  // strict window on T
    int slot;        // texture table slot of the image
};
constexpr int title_plate_count = 8;
extern const PlateWindow title_plates[title_plate_count];
// Texture slots of the plates showing at T, in drawing order; returns their count.
int title_plates_at(float time, int slots[title_plate_count]);

// --- Automatic anchors -------------------------------------------------------

struct NoiseCurve {
    float offset, amplitude, persistence, frequency;
};
// N0..N2 drive cloth_a's anchor, N3..N5 cloth_b's.
extern const NoiseCurve anchor_noise[6];
// Argument of every anchor curve: T / 20.
float anchor_noise_argument(float time);

// Anchor offsets from the six noise values.
void auto_anchor_a(const float noise[6], double out[3]);
void auto_anchor_b(const float noise[6], double out[3]);
