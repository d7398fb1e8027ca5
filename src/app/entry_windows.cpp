// entry_windows.cpp: the Windows program's entry. SDL 1.2's header renames
// the show's main to SDL_main and expects its own SDLmain library to call it,
// which would also send standard output and error to files; the console
// program's own main hands over to it instead, so messages stay on the
// console. (SDL's compiler flags carry -Dmain=SDL_main too.)
#undef main

int SDL_main(int argc, char** argv);  // main.cpp's main, renamed (C++ linkage: it sees no SDL header)

int main(int argc, char** argv) { return SDL_main(argc, argv); }
