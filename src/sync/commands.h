// commands.h: the command keys, one small action on the demo state per key.
//
// A live press and a replayed storyboard event run the same command, so a
// recorded show replays exactly. Depends on app/demo_state.h, app/random.h,
// audio/music.h (the time stamps) and physics/cloth.h (the sheets' anchors).
#pragma once

// Runs the command of key code index + 27; index is 0 to 95 (callers check).
void run_command(int index);

// Whether key code `key` (27 to 122) has a command; other keys run nothing.
bool key_has_command(int key);

// Ends the show with status 0 through the normal process exit (atexit
// handlers run), after flushing standard output.
[[noreturn]] void quit_show();

// While held, the exit commands (Escape, "q") do nothing: a caller stepping
// the show to a later moment replays the storyboard's exits on the way
// without ending the process.
void hold_exit_commands(bool held);
