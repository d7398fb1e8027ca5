// image_size.cpp: image headers.
#include "core/image_size.h"

#include <cstring>

namespace {

uint32_t big16(const unsigned char* p) { return uint32_t{p[0]} << 8 | p[1]; }
uint32_t big32(const unsigned char* p) { return big16(p) << 16 | big16(p + 2); }
uint32_t little16(const unsigned char* p) { return uint32_t{p[1]} << 8 | p[0]; }
uint32_t little32(const unsigned char* p) { return little16(p + 2) << 16 | little16(p); }

bool png_size(const unsigned char* b, size_t n, uint32_t& w, uint32_t& h) {
    if (n < 24 || std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) != 0 || std::memcmp(b + 12, "IHDR", 4) != 0)
        return false;
    w = big32(b + 16);
    h = big32(b + 20);
    return true;
}

// The first start-of-frame segment's size; markers without a length are
// skipped, others by their length.
bool jpeg_size(const unsigned char* b, size_t n, uint32_t& w, uint32_t& h) {
    if (n < 4 || b[0] != 0xFF || b[1] != 0xD8) return false;
    size_t at = 2;
    while (at + 4 <= n) {
        if (b[at] != 0xFF) return false;
        const unsigned marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            at++;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        const size_t length = big16(b + at + 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > n || length < 7) return false;
            h = big16(b + at + 5);
            w = big16(b + at + 7);
            return true;
        }
        if (length < 2) return false;
        at += 2 + length;
    }
    return false;
}

bool bmp_size(const unsigned char* b, size_t n, uint32_t& w, uint32_t& h) {
    if (n < 26 || b[0] != 'B' || b[1] != 'M') return false;
    if (little32(b + 14) == 12) {  // the old OS/2 header: 16-bit sizes
        w = little16(b + 18);
        h = little16(b + 20);
        return true;
    }
    const int32_t sw = static_cast<int32_t>(little32(b + 18)), sh = static_cast<int32_t>(little32(b + 22));
    // A negative height is a top-down image of that many rows.
    w = sw < 0 ? 0u - static_cast<uint32_t>(sw) : static_cast<uint32_t>(sw);
    h = sh < 0 ? 0u - static_cast<uint32_t>(sh) : static_cast<uint32_t>(sh);
    return true;
}

}  // namespace

bool image_size(const unsigned char* bytes, size_t size, uint32_t& width, uint32_t& height) {
    return png_size(bytes, size, width, height) || jpeg_size(bytes, size, width, height) ||
           bmp_size(bytes, size, width, height);
}
