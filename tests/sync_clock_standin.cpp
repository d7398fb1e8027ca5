// sync_clock_standin.cpp: the demo clock's two variables, for builds that
// don't have the music clock yet (the command keys stamp times from them).
#include "audio/music.h"

float demo_time = 0;
double demo_time_d = 0;
