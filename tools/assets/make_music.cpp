// Renders the show's three tracks to 16-bit stereo WAV files:
//   tangle-make-music OUT_DIR
// writes main.wav, finale.wav and hidden.wav (regenerate.sh encodes them).
#include <cstdio>
#include <cstring>
#include <string>

#include "synth.h"

namespace {

void put_u32(std::FILE* f, std::uint32_t v) {
    const unsigned char b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                std::uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

void put_u16(std::FILE* f, std::uint16_t v) {
    const unsigned char b[2] = {std::uint8_t(v), std::uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

bool write_wav(const std::string& path, const std::vector<std::int16_t>& pcm) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "tangle: %s: cannot open for writing\n", path.c_str());
        return false;
    }
    const std::uint32_t bytes = std::uint32_t(pcm.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    put_u32(f, 36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put_u32(f, 16);
    put_u16(f, 1);
    put_u16(f, 2);
    put_u32(f, sample_rate);
    put_u32(f, sample_rate * 4);
    put_u16(f, 4);
    put_u16(f, 16);
    std::fwrite("data", 1, 4, f);
    put_u32(f, bytes);
    for (std::int16_t s : pcm) put_u16(f, std::uint16_t(s));
    const bool ok = std::fclose(f) == 0;
    if (!ok) std::fprintf(stderr, "tangle: %s: write failed\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(
            "usage: tangle-make-music OUT_DIR\n"
            "Renders the show's three tracks as main.wav, finale.wav and hidden.wav into OUT_DIR,\n"
            "an existing folder (tools/assets/regenerate.sh encodes them to mp3). No options but\n"
            "--help. Status 0: all written; 1: a file could not be written; 2: bad arguments.\n",
            stdout);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: tangle-make-music OUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    struct Track {
        const char* file;
        Mixdown (*render)();
        float gain_db;
    };
    const Track tracks[] = {
        {"main.wav", render_main_song, -3.5f},
        {"finale.wav", render_finale_song, -0.5f},
        {"hidden.wav", render_hidden_song, -2.0f},
    };
    for (const Track& t : tracks) {
        Mixdown m = t.render();
        const std::vector<std::int16_t> pcm = rotate_to_start(m, master_song(m, t.gain_db, -2.2f));
        if (!write_wav(dir + "/" + t.file, pcm)) return 1;
        std::fprintf(stderr, "tangle: wrote %s (%.3f s)\n", t.file, double(m.frames) / sample_rate);
    }
    return 0;
}
