// commands.h: the command keys, one small action on the demo state per key.
//
// A live press and a replayed storyboard event run the same command, so a
// recorded show replays exactly. The keys live in one table (key, what it
// does in words, action) that the show, the storyboard checker, the
// rehearsal's overlay, the tests and the README's key table all read.
// Depends on core/demo_state.h, core/random.h, core/clock.h (the time stamps)
// and physics/cloth.h (the sheets' anchors).
#pragma once

#include <span>

// One command key. `words` is what it does, for people; null for the keys
// that are kept out of every document (the hidden part's unlock chain).
struct CommandKey {
    int key;
    const char* words;
    void (*action)();
};

// Every key that has a command, in key-code order.
std::span<const CommandKey> command_keys();

// The command of key code `key`, or null when the key has none.
const CommandKey* find_command_key(int key);

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
