// Instruments and the mixing of notes into a song's buses.
#include "synth.h"

#include <cmath>
#include <sstream>

namespace {

const float two_pi = 6.28318530718f;
std::uint32_t noise_state = 1;

// Zavalishin's trapezoidal state-variable filter, one channel.
struct Svf {
    float ic1 = 0.0f, ic2 = 0.0f;
};

struct SvfOut {
    float low, band, high;
};

SvfOut run_svf(Svf& f, float x, float cutoff_hz, float q) {
    cutoff_hz = std::fmin(std::fmax(cutoff_hz, 20.0f), 0.45f * sample_rate);
    const float g = std::tan(3.14159265f * cutoff_hz / sample_rate);
    const float k = 1.0f / q;
    const float a1 = 1.0f / (1.0f + g * (g + k));
    const float a2 = g * a1, a3 = g * a2;
    const float v3 = x - f.ic2;
    const float v1 = a1 * f.ic1 + a2 * v3;
    const float v2 = f.ic2 + a2 * f.ic1 + a3 * v3;
    f.ic1 = 2.0f * v1 - f.ic1;
    f.ic2 = 2.0f * v2 - f.ic2;
    return {v2, v1, x - k * v1 - v2};
}

// Band-limited step correction for the sawtooth and square oscillators.
float poly_blep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

float saw_step(float& phase, float hz) {
    const float dt = hz / sample_rate;
    const float v = 2.0f * phase - 1.0f - poly_blep(phase, dt);
    phase += dt;
    if (phase >= 1.0f) phase -= 1.0f;
    return v;
}

float square_step(float& phase, float hz) {
    const float dt = hz / sample_rate;
    float half = phase + 0.5f;
    if (half >= 1.0f) half -= 1.0f;
    const float v = (phase < 0.5f ? 1.0f : -1.0f) + poly_blep(phase, dt) - poly_blep(half, dt);
    phase += dt;
    if (phase >= 1.0f) phase -= 1.0f;
    return v;
}

// Attack, then sustain, then release after the held frames.
float held_envelope(int n, int held, float attack_s, float release_s) {
    const float t = float(n) / sample_rate;
    float a = attack_s > 0.0f ? std::fmin(1.0f, t / attack_s) : 1.0f;
    if (n > held) a *= std::exp(-float(n - held) / sample_rate / (release_s / 4.6f));
    return a;
}

int release_frames(float seconds) { return int(seconds * sample_rate); }

float smooth_vib(float t) { return std::fmin(1.0f, std::fmax(0.0f, (t - 0.15f) / 0.3f)); }

}  // namespace

void seed_noise(std::uint32_t seed) { noise_state = seed ? seed : 1; }

float next_noise() {
    noise_state ^= noise_state << 13;
    noise_state ^= noise_state >> 17;
    noise_state ^= noise_state << 5;
    return float(noise_state >> 8) / float(1U << 23) - 1.0f;
}

Mixdown new_mixdown(double bpm, double beats, bool cyclic) {
    Mixdown m;
    m.bpm = bpm;
    m.cyclic = cyclic;
    m.frames = int(std::llround(beats * 60.0 / bpm * sample_rate));
    for (Stereo* s : {&m.dry, &m.ducked, &m.delay_send, &m.reverb_send}) {
        s->l.assign(m.frames, 0.0f);
        s->r.assign(m.frames, 0.0f);
    }
    m.duck.assign(m.frames, 1.0f);
    return m;
}

int frame_at(const Mixdown& m, double beat) { return int(std::llround(beat * 60.0 / m.bpm * sample_rate)); }

int frames_for(const Mixdown& m, double beats) { return frame_at(m, beats); }

// Where sample i of a sound starting at start lands; -1 past a one-shot song.
static int place(const Mixdown& m, int start, std::size_t i) {
    long long n = (long long)start + (long long)i;
    if (m.cyclic) return int(((n % m.frames) + m.frames) % m.frames);
    return (n >= 0 && n < m.frames) ? int(n) : -1;
}

void mix_stereo(Mixdown& m, int start, const Stereo& signal, const Send& s) {
    // Constant-power pan.
    const float angle = (s.pan + 1.0f) * 0.25f * 3.14159265f;
    const float gl = std::cos(angle) * 1.41421356f * s.gain, gr = std::sin(angle) * 1.41421356f * s.gain;
    Stereo& bus = s.ducked ? m.ducked : m.dry;
    for (std::size_t i = 0; i < signal.l.size(); i++) {
        const int n = place(m, start, i);
        if (n < 0) continue;
        const float l = signal.l[i] * gl, r = signal.r[i] * gr;
        bus.l[n] += l;
        bus.r[n] += r;
        m.delay_send.l[n] += l * s.delay;
        m.delay_send.r[n] += r * s.delay;
        m.reverb_send.l[n] += l * s.reverb;
        m.reverb_send.r[n] += r * s.reverb;
    }
}

void mix_mono(Mixdown& m, int start, const std::vector<float>& signal, const Send& s) {
    mix_stereo(m, start, Stereo{signal, signal}, s);
}

void add_duck(Mixdown& m, int start, float depth, float seconds) {
    const int length = int(seconds * sample_rate);
    for (int i = 0; i < length; i++) {
        const int n = place(m, start, std::size_t(i));
        if (n < 0) continue;
        const float t = float(i) / length;
        const float g = 1.0f - depth * (1.0f - t) * (1.0f - t);
        m.duck[n] = std::fmin(m.duck[n], g);
    }
}

float midi_hz(int midi) { return 440.0f * std::pow(2.0f, float(midi - 69) / 12.0f); }

int note_number(const std::string& name) {
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G') return -1;
    int n = steps[name[0] - 'A'];
    std::size_t i = 1;
    if (i < name.size() && name[i] == '#')
        n++, i++;
    else if (i < name.size() && name[i] == 'b')
        n--, i++;
    if (i >= name.size()) return -1;
    return n + 12 * (std::stoi(name.substr(i)) + 1);
}

std::vector<Note> parse_line(const std::string& text, double first_beat, float velocity) {
    std::vector<Note> notes;
    std::istringstream in(text);
    std::string token;
    double beat = first_beat;
    while (in >> token) {
        if (token == "|") continue;
        const std::size_t colon = token.find(':');
        const double length = std::stod(token.substr(colon + 1));
        const std::string name = token.substr(0, colon);
        if (name != "-") notes.push_back({beat, length, note_number(name), velocity});
        beat += length;
    }
    return notes;
}

std::vector<float> make_kick(float velocity, float pitch) {
    const int n = int(0.5f * sample_rate);
    std::vector<float> out(n);
    float phase = 0.0f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        const float hz = pitch * (1.0f + 2.6f * std::exp(-t / 0.03f));
        phase += hz / sample_rate;
        if (phase >= 1.0f) phase -= 1.0f;
        // A short fade-in keeps the onset a fast slope rather than a step.
        const float attack = std::fmin(1.0f, t / 0.0015f);
        const float body = std::sin(two_pi * phase) * std::exp(-t / 0.22f);
        const float click = next_noise() * std::exp(-t / 0.0025f) * 0.25f;
        out[i] = velocity * attack * std::tanh(1.6f * (body + click)) *
                 (i > n - 400 ? float(n - i) / 400.0f : 1.0f);
    }
    return out;
}

std::vector<float> make_snare(float velocity) {
    const int n = int(0.35f * sample_rate);
    std::vector<float> out(n);
    Svf f;
    float p1 = 0.0f, p2 = 0.0f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        p1 += 185.0f / sample_rate;
        p2 += 330.0f / sample_rate;
        const float tone = (std::sin(two_pi * p1) + 0.5f * std::sin(two_pi * p2)) * std::exp(-t / 0.05f);
        const float noise = run_svf(f, next_noise(), 1800.0f, 0.7f).high * std::exp(-t / 0.11f);
        const float attack = std::fmin(1.0f, t / 0.001f);
        out[i] =
            velocity * 0.6f * attack * (0.6f * tone + noise) * (i > n - 300 ? float(n - i) / 300.0f : 1.0f);
    }
    return out;
}

std::vector<float> make_clap(float velocity) {
    const int n = int(0.4f * sample_rate);
    std::vector<float> out(n);
    Svf f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        float env = std::exp(-t / 0.13f) * 0.7f;
        for (int b = 0; b < 3; b++) {
            const float tb = t - 0.011f * b;
            if (tb >= 0.0f) env = std::fmax(env, std::exp(-tb / 0.005f));
        }
        const float v = run_svf(f, next_noise(), 1300.0f, 1.4f).band;
        const float attack = std::fmin(1.0f, t / 0.001f);
        out[i] = velocity * 1.3f * attack * v * env * (i > n - 300 ? float(n - i) / 300.0f : 1.0f);
    }
    return out;
}

std::vector<float> make_hat(float velocity, bool open) {
    static const float ratios[6] = {1.0f, 1.342f, 1.2312f, 1.6532f, 1.9523f, 2.1523f};
    const float decay = open ? 0.22f : 0.035f;
    const int n = int((open ? 0.8f : 0.18f) * sample_rate);
    std::vector<float> out(n);
    float phases[6] = {0};
    Svf f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        float metal = 0.0f;
        for (int k = 0; k < 6; k++) {
            phases[k] += 410.0f * ratios[k] / sample_rate;
            if (phases[k] >= 1.0f) phases[k] -= 1.0f;
            metal += phases[k] < 0.5f ? 1.0f : -1.0f;
        }
        const float x = metal * 0.12f + next_noise() * 0.6f;
        const float v = run_svf(f, x, 7500.0f, 0.8f).high;
        out[i] = velocity * 0.9f * v * std::exp(-t / decay) * std::fmin(1.0f, t / 0.0005f);
    }
    return out;
}

std::vector<float> make_crash(float velocity) {
    const int n = int(2.5f * sample_rate);
    std::vector<float> out(n);
    Svf f, g;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        const float x = run_svf(f, next_noise(), 4000.0f, 0.6f).high;
        const float y = run_svf(g, x, 9000.0f, 0.5f).low;
        out[i] = velocity * 0.45f * y * std::exp(-t / 0.7f) * (i > n - 2000 ? float(n - i) / 2000.0f : 1.0f);
    }
    return out;
}

std::vector<float> make_bass(int midi, int frames, float cutoff, float envelope, float velocity) {
    const int n = frames + release_frames(0.03f);
    std::vector<float> out(n);
    const float hz = midi_hz(midi);
    float p1 = 0.0f, p2 = 0.0f, ps = 0.0f;
    Svf f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        const float osc = saw_step(p1, hz) * 0.5f + saw_step(p2, hz * 1.006f) * 0.5f;
        ps += hz / sample_rate;
        if (ps >= 1.0f) ps -= 1.0f;
        const float sub = std::sin(two_pi * ps);
        const float c = cutoff * (1.0f + envelope * std::exp(-t / 0.08f));
        const float v = run_svf(f, osc, c, 1.2f).low;
        out[i] = velocity * (0.55f * v + 0.32f * sub) * held_envelope(i, frames, 0.003f, 0.03f);
    }
    return out;
}

Stereo make_pad(const std::vector<int>& midis, int frames, float cutoff, float velocity) {
    const float release = 1.2f;
    const int n = frames + release_frames(release);
    Stereo out{std::vector<float>(n, 0.0f), std::vector<float>(n, 0.0f)};
    static const float detune[2][3] = {{-0.11f, 0.03f, 0.13f}, {-0.07f, 0.09f, -0.02f}};
    const float scale = velocity * 0.22f / std::sqrt(float(midis.size()));
    for (int side = 0; side < 2; side++) {
        std::vector<float>& dst = side ? out.r : out.l;
        for (int midi : midis) {
            float phases[3];
            float hz[3];
            for (int k = 0; k < 3; k++) {
                hz[k] = midi_hz(midi) * std::pow(2.0f, detune[side][k] / 12.0f);
                phases[k] = float((midi * 7 + k * 3 + side * 5) % 11) / 11.0f;
            }
            Svf f;
            for (int i = 0; i < n; i++) {
                const float t = float(i) / sample_rate;
                float x = 0.0f;
                for (int k = 0; k < 3; k++) x += saw_step(phases[k], hz[k]);
                const float c = cutoff * (1.0f + 0.25f * std::sin(two_pi * 0.13f * t + side));
                dst[i] += scale * run_svf(f, x, c, 0.8f).low * held_envelope(i, frames, 0.35f, release);
            }
        }
    }
    return out;
}

std::vector<float> make_pluck(int midi, int frames, float cutoff, float velocity) {
    const int n = frames + release_frames(0.25f);
    std::vector<float> out(n);
    const float hz = midi_hz(midi);
    float p1 = 0.0f, p2 = 0.25f;
    Svf f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        const float x = 0.6f * square_step(p1, hz) + 0.4f * saw_step(p2, hz * 1.004f);
        const float c = cutoff * (0.3f + 3.0f * std::exp(-t / 0.06f));
        out[i] = velocity * 0.35f * run_svf(f, x, c, 1.5f).low * std::exp(-t / 0.28f) *
                 held_envelope(i, frames, 0.002f, 0.25f);
    }
    return out;
}

std::vector<float> make_lead(int midi, int frames, float cutoff, float velocity) {
    const int n = frames + release_frames(0.18f);
    std::vector<float> out(n);
    const float hz = midi_hz(midi);
    float p1 = 0.0f, p2 = 0.5f, p3 = 0.3f;
    Svf f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        // Vibrato fades in after the attack.
        const float vib = 1.0f + 0.004f * std::sin(two_pi * 5.5f * t) * smooth_vib(t);
        const float x = 0.45f * saw_step(p1, hz * vib) + 0.35f * saw_step(p2, hz * vib * 1.007f) +
                        0.3f * square_step(p3, hz * vib * 0.5f);
        const float c = cutoff * (1.0f + 1.5f * std::exp(-t / 0.1f));
        out[i] = velocity * 0.3f * run_svf(f, x, c, 1.1f).low * held_envelope(i, frames, 0.012f, 0.18f);
    }
    return out;
}

std::vector<float> make_bell(int midi, int frames, float velocity) {
    const int n = frames + release_frames(2.5f);
    std::vector<float> out(n);
    const float hz = midi_hz(midi);
    float pc = 0.0f, pm = 0.0f;
    for (int i = 0; i < n; i++) {
        const float t = float(i) / sample_rate;
        pm += hz * 3.5f / sample_rate;
        if (pm >= 1.0f) pm -= 1.0f;
        const float index = 2.2f * std::exp(-t / 0.4f) + 0.3f;
        pc += hz / sample_rate;
        if (pc >= 1.0f) pc -= 1.0f;
        const float v = std::sin(two_pi * pc + index * std::sin(two_pi * pm));
        out[i] = velocity * 0.3f * v * std::exp(-t / 1.1f) * held_envelope(i, frames, 0.003f, 2.5f);
    }
    return out;
}

std::vector<float> make_riser(int frames, float from_hz, float to_hz, float velocity) {
    std::vector<float> out(frames);
    Svf f;
    for (int i = 0; i < frames; i++) {
        const float x = float(i) / frames;
        const float hz = from_hz * std::pow(to_hz / from_hz, x);
        out[i] = velocity * 0.5f * run_svf(f, next_noise(), hz, 2.5f).band * x * x *
                 (i > frames - 200 ? float(frames - i) / 200.0f : 1.0f);
    }
    return out;
}
