// The master chain: ping-pong delay and reverb on their sends, the ducked bus
// under the kick's envelope, DC removal and a look-ahead peak limiter. Loops
// run every recursive stage twice around the buffer, so the state at the wrap
// equals the state of a second pass and the seam is continuous.
#include <algorithm>
#include <cmath>

#include "synth.h"

namespace {

// Runs fn(n, write) over every frame; cyclic songs get a warm-up lap first.
template <typename Fn>
void for_each_frame(const Mixdown& m, Fn fn) {
    const int laps = m.cyclic ? 2 : 1;
    for (int lap = 0; lap < laps; lap++)
        for (int n = 0; n < m.frames; n++) fn(n, lap == laps - 1);
}

Stereo run_delay(const Mixdown& m) {
    // Dotted eighth, feedback through a gentle low-pass, bouncing left-right.
    const int length = frames_for(m, 0.75);
    std::vector<float> bl(length, 0.0f), br(length, 0.0f);
    Stereo out{std::vector<float>(m.frames, 0.0f), std::vector<float>(m.frames, 0.0f)};
    float lp_l = 0.0f, lp_r = 0.0f;
    int pos = 0;
    for_each_frame(m, [&](int n, bool write) {
        const float dl = bl[pos], dr = br[pos];
        lp_l += 0.45f * (dl - lp_l);
        lp_r += 0.45f * (dr - lp_r);
        const float in = 0.5f * (m.delay_send.l[n] + m.delay_send.r[n]);
        bl[pos] = in + 0.5f * lp_r;
        br[pos] = 0.5f * lp_l;
        pos = (pos + 1) % length;
        if (write) {
            out.l[n] = dl;
            out.r[n] = dr;
        }
    });
    return out;
}

struct Comb {
    std::vector<float> buffer;
    int pos = 0;
    float store = 0.0f;
};

struct Allpass {
    std::vector<float> buffer;
    int pos = 0;
};

Stereo run_reverb(const Mixdown& m, float room, float damp) {
    // Schroeder-Moorer network: eight damped combs in parallel, four
    // all-passes in series, the right channel with slightly longer lines.
    static const int comb_lengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int allpass_lengths[4] = {556, 441, 341, 225};
    const int spread = 23;
    Comb combs[2][8];
    Allpass allpasses[2][4];
    for (int c = 0; c < 2; c++) {
        for (int k = 0; k < 8; k++) combs[c][k].buffer.assign(comb_lengths[k] + c * spread, 0.0f);
        for (int k = 0; k < 4; k++) allpasses[c][k].buffer.assign(allpass_lengths[k] + c * spread, 0.0f);
    }
    Stereo out{std::vector<float>(m.frames, 0.0f), std::vector<float>(m.frames, 0.0f)};
    for_each_frame(m, [&](int n, bool write) {
        const float in = (m.reverb_send.l[n] + m.reverb_send.r[n]) * 0.015f;
        for (int c = 0; c < 2; c++) {
            float sum = 0.0f;
            for (Comb& comb : combs[c]) {
                const float y = comb.buffer[comb.pos];
                comb.store = y * (1.0f - damp) + comb.store * damp;
                comb.buffer[comb.pos] = in + comb.store * room;
                comb.pos = (comb.pos + 1) % int(comb.buffer.size());
                sum += y;
            }
            for (Allpass& ap : allpasses[c]) {
                const float b = ap.buffer[ap.pos];
                ap.buffer[ap.pos] = sum + b * 0.5f;
                ap.pos = (ap.pos + 1) % int(ap.buffer.size());
                sum = b - sum;
            }
            if (write) (c ? out.r : out.l)[n] = sum;
        }
    });
    return out;
}

void remove_dc(const Mixdown& m, std::vector<float>& x) {
    // One-pole high-pass at about 8 Hz.
    const float a = 0.99886f;
    float prev_in = 0.0f, prev_out = 0.0f;
    std::vector<float> y(x.size());
    for_each_frame(m, [&](int n, bool write) {
        const float out = x[n] - prev_in + a * prev_out;
        prev_in = x[n];
        prev_out = out;
        if (write) y[n] = out;
    });
    x = y;
}

int wrap_index(const Mixdown& m, long long n) {
    if (m.cyclic) return int(((n % m.frames) + m.frames) % m.frames);
    return int(std::clamp<long long>(n, 0, m.frames - 1));
}

void limit(const Mixdown& m, std::vector<float>& l, std::vector<float>& r, float ceiling) {
    // Gain needed per frame, its minimum over the next window, a slow release,
    // then a moving average over the window: every step keeps the gain at or
    // below what each frame needs, so the output never passes the ceiling.
    const int window = 96;
    const int n_frames = m.frames;
    std::vector<float> need(n_frames);
    for (int n = 0; n < n_frames; n++) {
        const float peak = std::max(std::fabs(l[n]), std::fabs(r[n]));
        need[n] = peak > ceiling ? ceiling / peak : 1.0f;
    }
    std::vector<float> ahead(n_frames);
    for (int n = 0; n < n_frames; n++) {
        float g = 1.0f;
        for (int k = 0; k <= window; k++) {
            const long long i = (long long)n + k;
            if (!m.cyclic && i >= n_frames) break;
            g = std::min(g, need[wrap_index(m, i)]);
        }
        ahead[n] = g;
    }
    const float release = 1.0f - std::exp(-1.0f / (0.12f * sample_rate));
    std::vector<float> held(n_frames);
    float g = 1.0f;
    for_each_frame(m, [&](int n, bool write) {
        g = std::min(ahead[n], g + (1.0f - g) * release);
        if (write) held[n] = g;
    });
    // Frames before a one-shot song's start count as full gain.
    auto held_at = [&](long long i) { return (!m.cyclic && i < 0) ? 1.0f : held[wrap_index(m, i)]; };
    double sum = 0.0;
    for (int k = 0; k < window; k++) sum += held_at(-window + 1 + k);
    for (int n = 0; n < n_frames; n++) {
        if (n > 0) sum += held_at(n) - held_at((long long)n - window);
        float gain = float(sum / window);
        gain = std::min(gain, need[n]);  // guard against rounding in the sum
        l[n] *= gain;
        r[n] *= gain;
    }
}

}  // namespace

std::vector<std::int16_t> master_song(Mixdown& m, float gain_db, float ceiling_db) {
    const Stereo echo = run_delay(m);
    const Stereo verb = run_reverb(m, 0.86f, 0.3f);
    std::vector<float> l(m.frames), r(m.frames);
    for (int n = 0; n < m.frames; n++) {
        l[n] = m.dry.l[n] + m.ducked.l[n] * m.duck[n] + 0.6f * echo.l[n] + 1.0f * verb.l[n];
        r[n] = m.dry.r[n] + m.ducked.r[n] * m.duck[n] + 0.6f * echo.r[n] + 1.0f * verb.r[n];
    }
    remove_dc(m, l);
    remove_dc(m, r);
    const float gain = std::pow(10.0f, gain_db / 20.0f);
    for (int n = 0; n < m.frames; n++) {
        l[n] *= gain;
        r[n] *= gain;
    }
    limit(m, l, r, std::pow(10.0f, ceiling_db / 20.0f));
    std::vector<std::int16_t> pcm(std::size_t(m.frames) * 2);
    for (int n = 0; n < m.frames; n++) {
        pcm[2 * n] = std::int16_t(std::lround(std::clamp(l[n], -1.0f, 1.0f) * 32767.0f));
        pcm[2 * n + 1] = std::int16_t(std::lround(std::clamp(r[n], -1.0f, 1.0f) * 32767.0f));
    }
    return pcm;
}

std::vector<std::int16_t> rotate_to_start(const Mixdown& m, const std::vector<std::int16_t>& pcm) {
    if (m.frames <= 0) return pcm;
    const std::size_t shift = std::size_t(frame_at(m, m.start_beat) % m.frames) * 2;
    std::vector<std::int16_t> out(pcm.size());
    for (std::size_t i = 0; i < pcm.size(); i++) out[i] = pcm[(i + shift) % pcm.size()];
    return out;
}
