// A short German report file when the program dies from a fatal signal.
#pragma once

namespace platform {

// Prepares every buffer the handler needs and installs it for SIGSEGV,
// SIGABRT, SIGFPE, SIGILL, SIGBUS and SIGTRAP. Call once, early.
void installCrashHandler();
// The "Zuletzt:" line of a report (cut to 120 characters); null empties it.
void setCrashContext(const char* text);

}  // namespace platform
