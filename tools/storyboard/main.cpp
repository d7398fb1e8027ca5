// tangle-storyboard: checks a storyboard file before the show plays it.
//   tangle-storyboard check FILE
// Exit status 0: every record fires as written; 1: some are lost or misread;
// 2: the file can't be read (or the command line is wrong).
#include <cstdio>
#include <cstring>

#include "check.h"
#include "core/input_file.h"

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor must not be reused.
    make_standard_descriptors_safe();
    if (argc != 3 || std::strcmp(argv[1], "check") != 0) {
        std::fprintf(stderr, "usage: tangle-storyboard check FILE\n");
        return 2;
    }
    return check_storyboard(argv[2], stdout, stderr);
}
