// One running game per data directory: an advisory lock on a file in it,
// which the kernel releases when the process ends, however it ends.
#pragma once

#include <string>

namespace platform {

enum class LockResult {
    Acquired,       // this process holds the lock until it exits
    HeldElsewhere,  // another running process holds it
    Unavailable,    // no lock file could be made (read-only or missing directory)
};

// Locks dir + "/Zelvane.lock" for the rest of this process's life.
LockResult lockDataDir(const std::string& dir);
// Asks the game holding the lock of `dir` to come forward: touches the lock
// file's time, which that game watches.
void knockOnLock(const std::string& dir);
// True once for every knock on the lock this process holds since the last call.
bool lockKnocked();

}  // namespace platform
