// demo_state.cpp: the one demo state block.
#include "core/demo_state.h"

DemoState demo;
