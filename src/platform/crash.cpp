#include "platform/crash.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "platform/paths.h"

namespace platform {

namespace {

// Plain zero-initialised globals rather than the usual st() record: the
// handler must reach them without any initialisation guard or allocation.
char g_path[512];
char g_header[512];
int g_headerLen = 0;
char g_context[192];
std::atomic<bool> g_ready{false};

constexpr const char kFooter[] =
    "\n"
    "Diese Datei wird NICHT verschickt. Wenn du magst, schick sie an\n"
    "hallo@orlavan-software.de — daraus laesst sich der Fehler finden.\n";

// Writes what it can; a piece that fails is abandoned, the next one is tried.
void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void writeText(int fd, const char* text) { writeAll(fd, text, std::strlen(text)); }

const char* signalLine(int sig) {
    switch (sig) {
        case SIGILL: return "SIGILL (unerlaubter Befehl)\n";
        case SIGTRAP: return "SIGTRAP (fataler GLib-Fehler — fehlt eine Ressource?)\n";
        case SIGABRT: return "SIGABRT (abgebrochen)\n";
        case SIGBUS: return "SIGBUS (Busfehler)\n";
        case SIGFPE: return "SIGFPE (Rechenfehler)\n";
        case SIGSEGV: return "SIGSEGV (Zugriff auf fremden Speicher)\n";
        default: return "unbekanntes Signal\n";
    }
}

// Only async-signal-safe calls from here on: open, write, close, signal, raise
// (strlen is safe too, it only reads).
void onFatalSignal(int sig) {
    if (g_ready.load() && g_path[0] != '\0') {
        const int fd = ::open(g_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            writeAll(fd, g_header, static_cast<std::size_t>(g_headerLen));
            writeText(fd, "Signal: ");
            writeText(fd, signalLine(sig));
            if (g_context[0] != '\0') {
                writeText(fd, "Zuletzt: ");
                writeText(fd, g_context);
                writeText(fd, "\n");
            }
            writeAll(fd, kFooter, sizeof kFooter - 1);
            ::close(fd);
        }
    }
    // End with the same signal, so exit status and core dump stay the default.
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// snprintf's result is the untruncated length; clamp it to what was written.
int formattedLength(int result, std::size_t bufferSize) {
    if (result < 0) return 0;
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(result), bufferSize - 1));
}

}  // namespace

void installCrashHandler() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* dir = (runtime && *runtime) ? runtime : paths::dataDir().c_str();
    // A path that does not fit would be cut and could name some other file:
    // then no report is written at all.
    const int pathLen = std::snprintf(g_path, sizeof g_path, "%s/%s_crash.txt", dir, "Zelvane");
    if (pathLen < 0 || static_cast<std::size_t>(pathLen) >= sizeof g_path) g_path[0] = '\0';
    const int n = std::snprintf(g_header, sizeof g_header,
                                "%s %s (Build %d)\nportiert aus %s\n-----------------------------------------\n",
                                "Orlavan's Chess", "1.0.1", 1030, "1.0");
    g_headerLen = formattedLength(n, sizeof g_header);
    g_context[0] = '\0';
    g_ready.store(true);
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS, SIGTRAP}) std::signal(sig, onFatalSignal);
}

void setCrashContext(const char* text) {
    if (!text) {
        g_context[0] = '\0';
        return;
    }
    // Writes at most 121 bytes, so the tail of the buffer always stays zero.
    std::snprintf(g_context, sizeof g_context, "%.120s", text);
}

}  // namespace platform
