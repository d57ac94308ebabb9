#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>

#include <sys/wait.h>

#include "platform/crash.h"
#include "store_support.h"

using storetest::TempDir;

namespace {

const std::string kHeader =
    "Orlavan's Chess 1.0.1 (Build 1030)\n"
    "portiert aus 1.0\n"
    "-----------------------------------------\n";
const std::string kFooter =
    "\n"
    "Diese Datei wird NICHT verschickt. Wenn du magst, schick sie an\n"
    "hallo@orlavan-software.de \xE2\x80\x94 daraus laesst sich der Fehler finden.\n";

// In a child: runs `prepare`, installs the handler, replaces an earlier
// context by `context` and raises `sig`; the child must die of that signal.
void expectCrashOf(int sig, const std::function<void()>& prepare, const char* context = nullptr) {
    const int status = storetest::runInChild([&] {
        prepare();
        platform::installCrashHandler();
        platform::setCrashContext("earlier");
        platform::setCrashContext(context);
        std::raise(sig);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(sig, WTERMSIG(status));
}

TEST(CrashReport, WritesTheExactReportAndDiesOfTheSignal) {
    TempDir run;
    const std::string longContext(200, 'k');
    const struct {
        int sig;
        const char* context;
        std::string body;
    } cases[] = {
        {SIGSEGV, "Bildschirm 3, Level 17, Seed 4242",
         "Signal: SIGSEGV (Zugriff auf fremden Speicher)\nZuletzt: Bildschirm 3, Level 17, Seed 4242\n"},
        {SIGABRT, nullptr, "Signal: SIGABRT (abgebrochen)\n"},
        {SIGFPE, longContext.c_str(), "Signal: SIGFPE (Rechenfehler)\nZuletzt: " + std::string(120, 'k') + "\n"},
    };
    for (const auto& c : cases) {
        expectCrashOf(c.sig, [&] { ::setenv("XDG_RUNTIME_DIR", run.path().c_str(), 1); }, c.context);
        EXPECT_EQ(kHeader + c.body + kFooter, storetest::readFile(run / "Zelvane_crash.txt")) << c.sig;
    }
}

TEST(CrashReport, EmptyRuntimeDirUsesTheDataDirectory) {
    TempDir home;
    expectCrashOf(SIGBUS, [&] {
        ::setenv("XDG_RUNTIME_DIR", "", 1);
        ::setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    });
    EXPECT_EQ(kHeader + "Signal: SIGBUS (Busfehler)\n" + kFooter, storetest::readFile(home / "Zelvane/Zelvane_crash.txt"));
}

// No report where it cannot be written, nor where its path would be cut
// (and so name a file elsewhere); the signal still ends the process.
TEST(CrashReport, UnwritableOrTooLongPathsGetNoReport) {
    TempDir run;
    storetest::writeFile(run / "file", "x");
    expectCrashOf(SIGILL, [&] { ::setenv("XDG_RUNTIME_DIR", (run / "file").c_str(), 1); });
    EXPECT_EQ("x", storetest::readFile(run / "file"));

    // Cut at 511 characters, the path would end in a new file of `deep`.
    std::string deep = run.path();
    while (deep.size() < 400) deep += "/" + std::string(std::min<std::size_t>(100, 400 - deep.size()), 'd');
    std::filesystem::create_directories(deep);
    expectCrashOf(SIGSEGV, [&] { ::setenv("XDG_RUNTIME_DIR", (deep + "/" + std::string(150, 'q')).c_str(), 1); });
    EXPECT_TRUE(std::filesystem::is_empty(deep));
}

}  // namespace
