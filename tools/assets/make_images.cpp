// Writes the show's 49 pictures: tangle-make-images FONT OUT_DIR
#include <cstdio>
#include <cstring>

#include "images.h"

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(
            "usage: tangle-make-images FONT.ttf OUT_DIR\n"
            "Draws the show's 49 pictures (gfx/*.png) into OUT_DIR, an existing folder; FONT.ttf\n"
            "sets the title plate's lettering (DSEG7 Classic Italic). No options but --help.\n"
            "Status 0: all written; 1: a picture could not be written; 2: bad arguments.\n",
            stdout);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: tangle-make-images FONT.ttf OUT_DIR\n");
        return 2;
    }
    const int total = int(image_file_names().size());
    const int written = write_all_images(argv[2], argv[1]);
    if (written != total) return 1;
    std::fprintf(stderr, "tangle: wrote %d pictures to %s\n", written, argv[2]);
    return 0;
}
