// audio_fixture.h: short mp3 files made at test time: a sine tone written as
// a WAV file and encoded with the `lame` command.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include <vector>

inline bool lame_available() { return std::system("command -v lame >/dev/null 2>&1") == 0; }

// A scratch folder of this test process.
inline std::filesystem::path audio_scratch_dir() {
    auto dir = std::filesystem::temp_directory_path() / ("tangle-audio-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

inline void put_le(std::FILE* f, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
}

// `seconds` of a `hz` sine at half scale, 16-bit PCM.
inline bool write_tone_wav(const std::string& path, int rate, int channels, double seconds, double hz) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    uint32_t frames = static_cast<uint32_t>(std::lround(seconds * rate));
    uint32_t data = frames * channels * 2;
    std::fputs("RIFF", f);
    put_le(f, 36 + data, 4);
    std::fputs("WAVEfmt ", f);
    put_le(f, 16, 4);
    put_le(f, 1, 2);
    put_le(f, channels, 2);
    put_le(f, rate, 4);
    put_le(f, rate * channels * 2, 4);
    put_le(f, channels * 2, 2);
    put_le(f, 16, 2);
    std::fputs("data", f);
    put_le(f, data, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        double v = 0.5 * std::sin(2 * M_PI * hz * i / rate);
        auto s = static_cast<int16_t>(std::lround(v * 32767));
        for (int c = 0; c < channels; ++c) put_le(f, static_cast<uint16_t>(s), 2);
    }
    return std::fclose(f) == 0;
}

// The tone as an mp3 at its own rate and channel count; "" if that failed.
inline std::string make_tone_mp3(const char* name, int rate, int channels, double seconds,
                                 double hz = 441.0) {
    auto dir = audio_scratch_dir();
    std::string wav = (dir / (std::string(name) + ".wav")).string();
    std::string mp3 = (dir / (std::string(name) + ".mp3")).string();
    if (std::filesystem::exists(mp3)) return mp3;
    if (!write_tone_wav(wav, rate, channels, seconds, hz)) return "";
    char khz[32];
    std::snprintf(khz, sizeof khz, "%g", rate / 1000.0);
    std::string cmd = std::string("lame --quiet -b 64 -m ") + (channels == 1 ? "m" : "j") + " --resample " +
                      khz + " '" + wav + "' '" + mp3 + "'";
    if (std::system(cmd.c_str()) != 0) return "";
    return mp3;
}

// A copy of the first `bytes` bytes of `path`: a track cut short, its
// headers still promising the whole length. "" if that failed.
inline std::string truncated_copy(const std::string& path, const char* name, size_t bytes) {
    if (path.empty()) return "";
    std::string out = (audio_scratch_dir() / (std::string(name) + ".mp3")).string();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    std::FILE* f = std::fopen(out.c_str(), "wb");
    std::vector<char> buffer(bytes);
    size_t got = in ? std::fread(buffer.data(), 1, bytes, in) : 0;
    bool ok = in && f && got == bytes && std::fwrite(buffer.data(), 1, got, f) == got;
    if (in) std::fclose(in);
    if (f && std::fclose(f) != 0) ok = false;
    return ok ? out : "";
}

// The 16-bit samples of a WAV file this player wrote (44-byte header).
struct WavFile {
    bool ok = false;
    uint32_t riff_size = 0, rate = 0, data_size = 0;
    uint16_t channels = 0, bits = 0;
    std::vector<int16_t> samples;
};

inline uint32_t get_le(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

inline WavFile read_wav(const std::string& path) {
    WavFile w;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return w;
    unsigned char h[44];
    if (std::fread(h, 1, 44, f) == 44 && std::string(reinterpret_cast<char*>(h), 4) == "RIFF" &&
        std::string(reinterpret_cast<char*>(h + 8), 8) == "WAVEfmt " &&
        std::string(reinterpret_cast<char*>(h + 36), 4) == "data") {
        w.riff_size = get_le(h + 4, 4);
        w.channels = static_cast<uint16_t>(get_le(h + 22, 2));
        w.rate = get_le(h + 24, 4);
        w.bits = static_cast<uint16_t>(get_le(h + 34, 2));
        w.data_size = get_le(h + 40, 4);
        unsigned char b[2];
        while (std::fread(b, 1, 2, f) == 2) w.samples.push_back(static_cast<int16_t>(get_le(b, 2)));
        w.ok = true;
    }
    std::fclose(f);
    return w;
}
