// Writes the show's 49 pictures: tangle-make-images FONT OUT_DIR
#include <cstdio>

#include "images.h"

int main(int argc, char** argv) {
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
