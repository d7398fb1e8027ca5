// render_pixels.cpp: see render_pixels.h.
#include "render_pixels.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/targets.h"
#include "core/view.h"
#include "driver.h"
#include "png_file.h"

namespace {

struct Span {
    int x0, x1, row0, row1;  // columns x0..x1-1, rows row0..row1-1 (top first)
};

Span span_of(const Picture& p, const Region& r) {
    auto col = [&](double x) { return std::clamp(static_cast<int>(std::lround(x * p.width)), 0, p.width); };
    auto row = [&](double y) {
        return std::clamp(static_cast<int>(std::lround((1.0 - y) * p.height)), 0, p.height);
    };
    return {col(r.x0), col(r.x1), row(r.y1), row(r.y0)};
}

bool close_to(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

template <typename Test>
int count_where(const Picture& p, const Region& region, Test test) {
    Span s = span_of(p, region);
    int n = 0;
    for (int row = s.row0; row < s.row1; row++)
        for (int x = s.x0; x < s.x1; x++) n += test(x, row) ? 1 : 0;
    return n;
}

}  // namespace

Rgb rgb_of(double r, double g, double b) {
    return {static_cast<int>(std::lround(r * 255)), static_cast<int>(std::lround(g * 255)),
            static_cast<int>(std::lround(b * 255))};
}

Rgb Picture::at(int x, int row) const {
    size_t k = (static_cast<size_t>(row) * width + x) * 3;
    return {rgb[k], rgb[k + 1], rgb[k + 2]};
}

void start_show(double fps, unsigned seed) {
    DriverOptions o;
    const char* src = std::getenv("TANGLE_SOURCE_DIR");
    o.data_dir = std::string(src ? src : "..") + "/data";
    o.fps = fps;
    o.seed = seed;
    o.storyboard = "/dev/null";
    driver_start(o);
}

Picture read_picture() {
    Picture p{1280, 720, {}};
    driver_read_picture(p.rgb);
    return p;
}

Picture read_scene_target() {
    Picture p{1600, 900, {}};
    driver_read_scene_target(p.rgb);
    return p;
}

Picture read_overlay_target() {
    Picture p{238, 80, {}};
    std::vector<unsigned char> rows(static_cast<size_t>(p.width) * p.height * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, overlay_fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    p.rgb.resize(rows.size());
    size_t stride = static_cast<size_t>(p.width) * 3;
    for (int y = 0; y < p.height; y++)
        std::copy_n(&rows[stride * (p.height - 1 - y)], stride, &p.rgb[stride * y]);
    return p;
}

int count_near(const Picture& p, const Region& region, Rgb colour, int tolerance) {
    return count_where(p, region, [&](int x, int row) { return close_to(p.at(x, row), colour, tolerance); });
}

int count_pixels(const Picture& p, const Region& region) {
    return count_where(p, region, [](int, int) { return true; });
}

int count_away(const Picture& p, const Region& region, Rgb colour, int tolerance) {
    return count_pixels(p, region) - count_near(p, region, colour, tolerance);
}

int count_changed(const Picture& a, const Picture& b, const Region& region, int tolerance) {
    return count_where(a, region,
                       [&](int x, int row) { return !close_to(a.at(x, row), b.at(x, row), tolerance); });
}

void dump_picture(const Picture& p, const std::string& name) {
    const char* dir = std::getenv("TANGLE_RENDER_DUMP");
    if (!dir || !*dir) return;
    write_png(std::string(dir) + "/" + name + ".png", p.width, p.height, p.rgb);
}
