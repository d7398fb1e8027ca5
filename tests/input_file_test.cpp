// Guarded input: what can't be read at once is refused at once, sizes come
// from the content, and a closed standard descriptor is never handed out again.
#include "core/input_file.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "audio/decoder.h"
#include "core/image_size.h"

namespace {

std::string scratch(const char* name) {
    static std::string dir = [] {
        char pattern[] = "/tmp/tangle-input-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return dir + "/" + name;
}

// A FIFO with no writer, a folder and a file over its limit are refused
// without waiting, each with its reason; the music decoder uses the guard.
TEST(InputFile, RefusesWhatCantBeReadAtOnce) {
    const std::string fifo = scratch("fifo.mp3");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    EXPECT_EQ(open_input(fifo.c_str(), 100, error), -1);
    EXPECT_EQ(error, "not a regular file");
    Decoder d;
    EXPECT_FALSE(decoder_open(d, fifo.c_str(), false, error));
    EXPECT_EQ(error, "not a regular file");

    EXPECT_EQ(open_input("/tmp", 100, error), -1);
    EXPECT_EQ(error, "not a regular file");

    const std::string big = scratch("big");
    {
        std::FILE* f = std::fopen(big.c_str(), "wb");
        std::fputs("0123456789", f);
        std::fclose(f);
    }
    std::vector<unsigned char> bytes;
    EXPECT_FALSE(read_input(big.c_str(), 9, bytes, error));
    EXPECT_EQ(error, "10 bytes, over the 9 it may have");
    EXPECT_TRUE(read_input(big.c_str(), 10, bytes, error));
    EXPECT_EQ(bytes.size(), 10u);
}

TEST(ImageSize, FromTheContentWhateverTheName) {
    uint32_t w = 0, h = 0;
    const unsigned char png[24] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13,
                                   'I',  'H', 'D', 'R', 0,    0,    1,    0,    0, 0, 0, 7};
    ASSERT_TRUE(image_size(png, sizeof png, w, h));
    EXPECT_EQ(w, 256u);
    EXPECT_EQ(h, 7u);
    // A JPEG's frame header after other segments and fill bytes.
    const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4,    1,    2,    0xFF,
                                  0xFF, 0xC2, 0,    17,   8, 0x01, 0x02, 0x03, 0x04};
    ASSERT_TRUE(image_size(jpeg, sizeof jpeg, w, h));
    EXPECT_EQ(w, 0x0304u);
    EXPECT_EQ(h, 0x0102u);
    // A BMP stored top-down (negative height).
    unsigned char bmp[26] = {'B', 'M'};
    bmp[14] = 40;
    bmp[18] = 0x40, bmp[19] = 0x1f;                                  // 8000 wide
    bmp[22] = 0xf6, bmp[23] = 0xff, bmp[24] = 0xff, bmp[25] = 0xff;  // -10 high
    ASSERT_TRUE(image_size(bmp, sizeof bmp, w, h));
    EXPECT_EQ(w, 8000u);
    EXPECT_EQ(h, 10u);
    // Anything else, or a header cut short, is no image the show reads.
    const unsigned char text[] = "GIF89a plain words";
    EXPECT_FALSE(image_size(text, sizeof text, w, h));
    EXPECT_FALSE(image_size(png, 20, w, h));
    EXPECT_FALSE(image_size(jpeg, 12, w, h));
}

// Started with standard output closed, the next file opened would become
// descriptor 1 and take the show's own lines (the X connection did).
int open_after_closing_standard_output() {
    close(1);
    make_standard_descriptors_safe();
    const int fd = open(scratch("after").c_str(), O_WRONLY | O_CREAT, 0600);
    struct stat out {};
    struct stat null {};
    const bool filled = fstat(1, &out) == 0 && stat("/dev/null", &null) == 0 && out.st_rdev == null.st_rdev;
    // And a reader of standard error going away no longer ends the program.
    struct sigaction pipe_action {};
    sigaction(SIGPIPE, nullptr, &pipe_action);
    return fd > 2 && filled && pipe_action.sa_handler == SIG_IGN ? 0 : 1;
}

TEST(StandardDescriptors, ClosedOnesAreFilledBeforeAnythingIsOpened) {
    EXPECT_EXIT(std::_Exit(open_after_closing_standard_output()), testing::ExitedWithCode(0), "");
}

}  // namespace
