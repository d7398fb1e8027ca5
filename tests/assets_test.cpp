// The data files the show loads: names, decoding, picture formats, audio
// levels and loops, and that the picture generator reproduces the committed
// pictures exactly. Runs from data/.
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <iterator>
#include <map>

#include <mpg123.h>

#include <string>
#include <vector>

#include "images.h"

namespace {

// The texture slots' files, by the loader's slot rule.
std::vector<std::string> slot_files() {
    std::vector<std::string> files;
    for (int slot = 1; slot <= 49; slot++) {
        if (slot <= 38)
            files.push_back("gfx/txt" + std::to_string(slot) + ".png");
        else if (slot == 39)
            files.push_back("gfx/V3.png");
        else if (slot == 40)
            files.push_back("gfx/rozel.png");
        else if (slot <= 48)
            files.push_back("gfx/txt" + std::to_string(slot - 40) + "c.png");
        else
            files.push_back("gfx/V4LGBT.png");
    }
    return files;
}

const char* const main_track = "Vextor - Accelerate (kalder demo).mp3";
const char* const finale_track = "Vextor - Quorrel Dream.mp3";
const char* const hidden_track = "Vextor - Lumbrosa6.mp3";
// The title plate was drawn in Debian's DSEG7 (fonts-dseg), as the generator
// script draws it; the show's own text uses digital-7.ttf.
const char* const title_font = "/usr/share/fonts/truetype/dseg/DSEG7Classic-Italic.ttf";

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Pcm {
    long rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved
    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
};

// Decodes with gapless trimming, as the show's player does.
Pcm decode_mp3(const std::string& path) {
    Pcm pcm;
    mpg123_init();
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) return pcm;
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, 44100, MPG123_STEREO | MPG123_MONO, MPG123_ENC_FLOAT_32);
    if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
        int encoding = 0;
        mpg123_getformat(mh, &pcm.rate, &pcm.channels, &encoding);
        std::vector<unsigned char> buffer(1 << 16);
        for (;;) {
            std::size_t done = 0;
            const int r = mpg123_read(mh, buffer.data(), buffer.size(), &done);
            const float* f = reinterpret_cast<const float*>(buffer.data());
            pcm.samples.insert(pcm.samples.end(), f, f + done / sizeof(float));
            if (r != MPG123_OK) break;
        }
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return pcm;
}

const Pcm& track(const std::string& name) {
    static std::map<std::string, Pcm> cache;
    auto it = cache.find(name);
    if (it == cache.end()) it = cache.emplace(name, decode_mp3(name)).first;
    return it->second;
}

// Integrated loudness (EBU R 128) measured by ffmpeg; NaN when unavailable.
double integrated_loudness(const std::string& path) {
    const std::string cmd = "ffmpeg -nostats -hide_banner -i \"" + path + "\" -af ebur128 -f null - 2>&1";
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p) return NAN;
    double value = NAN;
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
        double v = 0.0;
        if (std::sscanf(line, " I: %lf LUFS", &v) == 1) value = v;  // the summary comes last
    }
    pclose(p);
    return value;
}

double rms(const Pcm& pcm, double from_s, double to_s) {
    const std::size_t a = std::size_t(from_s * pcm.rate) * pcm.channels;
    const std::size_t b = std::min(pcm.samples.size(), std::size_t(to_s * pcm.rate) * pcm.channels);
    double sum = 0.0;
    for (std::size_t i = a; i < b; i++) sum += double(pcm.samples[i]) * pcm.samples[i];
    return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
}

double db(double x) { return 20.0 * std::log10(std::max(x, 1e-12)); }

}  // namespace

TEST(AssetFiles, EveryFileTheShowOpensIsThere) {
    for (const std::string& f : slot_files()) EXPECT_TRUE(std::filesystem::is_regular_file(f)) << f;
    for (const char* f :
         {main_track, finale_track, hidden_track, "digital-7.ttf", "digital-7.LICENSE.txt", "keys.dat"})
        EXPECT_TRUE(std::filesystem::is_regular_file(f)) << f;
    // The generator's list follows the same slot order.
    std::vector<std::string> expected;
    for (const std::string& f : slot_files()) expected.push_back(f.substr(4));
    EXPECT_EQ(image_file_names(), expected);
}

TEST(AssetFiles, FontCarriesTheGlyphsTheShowPrints) {
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, "digital-7.ttf", 0, &face), 0);
    for (const char* p = "0123456789:.-8E TANGLE"; *p; p++)
        EXPECT_NE(FT_Get_Char_Index(face, FT_ULong(static_cast<unsigned char>(*p))), 0u) << *p;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    EXPECT_NE(read_file("digital-7.LICENSE.txt").find("Tangle developers"), std::string::npos);
}

TEST(Pictures, DecodeAsEightBitRgbOrRgbaWithinSize) {
    int rgb = 0, rgba = 0, odd_sides = 0;
    for (const std::string& f : slot_files()) {
        SDL_Surface* s = IMG_Load(f.c_str());
        ASSERT_NE(s, nullptr) << f << ": " << IMG_GetError();
        const int bpp = s->format->BytesPerPixel;
        EXPECT_TRUE(bpp == 3 || bpp == 4) << f;
        EXPECT_EQ(s->format->Amask != 0, bpp == 4) << f;
        EXPECT_GT(s->w, 0) << f;
        EXPECT_GT(s->h, 0) << f;
        EXPECT_LE(s->w, 1024) << f;
        EXPECT_LE(s->h, 1024) << f;
        (bpp == 4 ? rgba : rgb)++;
        for (int side : {s->w, s->h})
            if ((side & (side - 1)) != 0) odd_sides++;
        SDL_FreeSurface(s);
    }
    EXPECT_GT(rgb, 0);
    EXPECT_GT(rgba, 0);
    EXPECT_GT(odd_sides, 0);
}

TEST(Pictures, CarryVisibleContent) {
    // No picture is flat, and the plates drawn over the scene have both clear
    // and solid parts.
    for (const std::string& name : image_file_names()) {
        const Image image = make_image(name, title_font);
        ASSERT_GT(image.width, 0) << name;
        double sum = 0.0, sum2 = 0.0;
        int clear = 0, solid = 0;
        const std::size_t n = std::size_t(image.width) * image.height;
        for (std::size_t i = 0; i < n; i++) {
            const std::uint8_t* p = &image.pixels[i * image.channels];
            const double luma = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
            sum += luma;
            sum2 += luma * luma;
            if (image.channels == 4) {
                if (p[3] < 16) clear++;
                if (p[3] > 240) solid++;
            }
        }
        const double spread =
            std::sqrt(std::max(0.0, sum2 / double(n) - (sum / double(n)) * (sum / double(n))));
        if (image.channels == 3 || name.rfind("txt", 0) == 0) {
            EXPECT_GT(spread, 8.0) << name;
        }
        if (name == "V3.png" || name == "V4LGBT.png") {
            EXPECT_GT(clear, int(n / 5)) << name;
            EXPECT_GT(solid, int(n / 100)) << name;
        }
    }
}

TEST(Pictures, RegenerateByteForByte) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tangle_pictures_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_EQ(write_all_images(dir.string(), title_font), 49);
    for (const std::string& name : image_file_names())
        EXPECT_TRUE(read_file((dir / name).string()) == read_file("gfx/" + name))
            << name << " differs from the generator's output";
    std::filesystem::remove_all(dir);
}

TEST(Pictures, GeneratorRefusesWhatItCannotMake) {
    EXPECT_EQ(make_image("txt39.png", "digital-7.ttf").width, 0);
    EXPECT_EQ(make_image("txt9c.png", "digital-7.ttf").width, 0);
    EXPECT_EQ(make_image("txt3x.png", "digital-7.ttf").width, 0);
    EXPECT_EQ(make_image("V3.png", "no-such-font.ttf").width, 0);
    // Writing an empty picture or into a missing folder is reported as a failure.
    EXPECT_FALSE(write_png((std::filesystem::temp_directory_path() / "tangle_empty.png").string(), Image()));
    EXPECT_FALSE(write_png("/nonexistent-folder/x.png", make_image("txt1.png", "")));
    EXPECT_EQ(write_all_images("/nonexistent-folder", "digital-7.ttf"), 0);
}

TEST(Music, DecodesAsStereoAt44100WithinTheDurations) {
    struct Want {
        const char* file;
        double min_s, max_s;
    };
    for (const Want& w :
         {Want{main_track, 185.0, 200.0}, Want{finale_track, 60.0, 120.0}, Want{hidden_track, 20.0, 300.0}}) {
        const Pcm& pcm = track(w.file);
        ASSERT_EQ(pcm.rate, 44100) << w.file;
        ASSERT_EQ(pcm.channels, 2) << w.file;
        const double seconds = double(pcm.frames()) / pcm.rate;
        EXPECT_GE(seconds, w.min_s) << w.file;
        EXPECT_LE(seconds, w.max_s) << w.file;
    }
    // The show switches to its finale at 181 s of the main track.
    EXPECT_GT(double(track(main_track).frames()) / 44100.0, 181.5);
    // The hidden loop is a whole number of 8-beat phrases at 90 BPM (16/3 s),
    // which holds only if the decoder trims the encoder's padding exactly.
    EXPECT_EQ(track(hidden_track).frames() % 235200, 0u);
    EXPECT_EQ(track(finale_track).frames() % 35280, 0u);  // whole beats at 75 BPM
}

TEST(Music, PeaksDcAndLoudnessWithinBounds) {
    for (const char* f : {main_track, finale_track, hidden_track}) {
        const Pcm& pcm = track(f);
        ASSERT_GT(pcm.frames(), 0u) << f;
        float peak = 0.0f;
        double mean[2] = {0.0, 0.0};
        for (std::size_t i = 0; i < pcm.samples.size(); i++) {
            peak = std::max(peak, std::fabs(pcm.samples[i]));
            mean[i % 2] += pcm.samples[i];
        }
        EXPECT_LT(db(peak), -1.0) << f;
        for (double m : mean) EXPECT_LT(std::fabs(m / double(pcm.frames())), 1e-3) << f << ": DC offset";
        const double lufs = integrated_loudness(f);
        ASSERT_FALSE(std::isnan(lufs)) << f << ": no loudness from ffmpeg";
        EXPECT_GE(lufs, -16.0) << f;
        EXPECT_LE(lufs, -11.0) << f;
    }
}

TEST(Music, LoopsWrapWithoutAStep) {
    for (const char* f : {finale_track, hidden_track}) {
        const Pcm& pcm = track(f);
        const std::size_t n = pcm.frames();
        ASSERT_GT(n, 2u) << f;
        for (int c = 0; c < 2; c++) {
            std::vector<float> steps(n - 1);
            for (std::size_t i = 1; i < n; i++)
                steps[i - 1] = std::fabs(pcm.samples[i * 2 + c] - pcm.samples[(i - 1) * 2 + c]);
            std::sort(steps.begin(), steps.end());
            const float typical = steps[std::size_t(double(steps.size()) * 0.99)];
            const float seam = std::fabs(pcm.samples[c] - pcm.samples[(n - 1) * 2 + c]);
            EXPECT_LE(seam, typical) << f << " channel " << c;
            // The wrap is not a fade through silence either.
            EXPECT_GT(db(rms(pcm, 0.0, 0.25)), -40.0) << f;
            EXPECT_GT(db(rms(pcm, double(n) / pcm.rate - 0.25, double(n) / pcm.rate)), -40.0) << f;
        }
    }
}

TEST(Music, MainTrackFollowsTheShowsSections) {
    const Pcm& pcm = track(main_track);
    const double intro = db(rms(pcm, 0.5, 5.5)), body = db(rms(pcm, 40.0, 80.0));
    const double gap = db(rms(pcm, 121.0, 139.0)), climax = db(rms(pcm, 161.0, 179.0));
    EXPECT_LT(intro, body - 8.0);
    EXPECT_LT(gap, climax - 3.0);
    EXPECT_LT(db(rms(pcm, 33.5, 37.0)), db(rms(pcm, 22.0, 32.0)) - 2.0) << "break";
    EXPECT_GT(db(rms(pcm, 181.0, 182.0)), -40.0) << "still sounding when the show switches";
}

TEST(Music, HiddenLoopMarksEachPhraseAt4sPlusMultiplesOf16Thirds) {
    // A cymbal opens every phrase: the high band jumps right at the change.
    const Pcm& pcm = track(hidden_track);
    const double length = double(pcm.frames()) / pcm.rate;
    auto high_band = [&](double from_s) {
        double sum = 0.0;
        const std::size_t a = std::size_t(from_s * pcm.rate), b = a + std::size_t(0.08 * pcm.rate);
        for (std::size_t i = a + 1; i < b && i < pcm.frames(); i++) {
            const double d = pcm.samples[i * 2] - pcm.samples[(i - 1) * 2];
            sum += d * d;
        }
        return sum;
    };
    int marked = 0, phrases = 0;
    for (double t = 4.0; t + 0.1 < length; t += 16.0 / 3.0, phrases++)
        if (high_band(t) > 1.5 * high_band(t - 0.25)) marked++;
    EXPECT_GE(marked, phrases * 3 / 4) << marked << " of " << phrases;
}
