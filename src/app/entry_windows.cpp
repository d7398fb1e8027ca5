// entry_windows.cpp: the Windows program's entry. SDL's compiler flags
// (-Dmain=SDL_main) rename the show's main, expecting SDL's own SDLmain
// library to call it, which would also send standard output and error to
// files; this console entry hands over to it instead, so messages stay on
// the console.
#undef main

int SDL_main(int argc, char** argv);  // main.cpp's main, renamed (C++ linkage: it sees no SDL header)

int main(int argc, char** argv) { return SDL_main(argc, argv); }
