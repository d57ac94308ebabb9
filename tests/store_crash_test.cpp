#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

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

// Forks a child that prepares its environment, installs the handler, runs
// `beforeCrash` and raises `sig`. Returns the child's wait status.
int crashChild(const std::function<void()>& prepare, const std::function<void()>& beforeCrash, int sig) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        prepare();
        platform::installCrashHandler();
        beforeCrash();
        std::raise(sig);
        ::_exit(99);  // not reached when the handler re-raises
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

void expectDiedOf(int status, int sig) {
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(sig, WTERMSIG(status));
}

TEST(CrashReport, SegvWritesExactReportAndDiesOfTheSignal) {
    TempDir run;
    const int status = crashChild([&] { ::setenv("XDG_RUNTIME_DIR", run.path().c_str(), 1); },
                                  [] { platform::setCrashContext("Bildschirm 3, Level 17, Seed 4242"); }, SIGSEGV);
    expectDiedOf(status, SIGSEGV);
    EXPECT_EQ(kHeader + "Signal: SIGSEGV (Zugriff auf fremden Speicher)\n" +
                  "Zuletzt: Bildschirm 3, Level 17, Seed 4242\n" + kFooter,
              storetest::readFile(run / "Zelvane_crash.txt"));
}

TEST(CrashReport, AbortWithoutContextAndLongContext) {
    TempDir run;
    int status = crashChild([&] { ::setenv("XDG_RUNTIME_DIR", run.path().c_str(), 1); },
                            [] {
                                platform::setCrashContext("earlier");
                                platform::setCrashContext(nullptr);
                            },
                            SIGABRT);
    expectDiedOf(status, SIGABRT);
    EXPECT_EQ(kHeader + "Signal: SIGABRT (abgebrochen)\n" + kFooter, storetest::readFile(run / "Zelvane_crash.txt"));

    const std::string longContext(200, 'k');
    status = crashChild([&] { ::setenv("XDG_RUNTIME_DIR", run.path().c_str(), 1); },
                        [&] { platform::setCrashContext(longContext.c_str()); }, SIGFPE);
    expectDiedOf(status, SIGFPE);
    EXPECT_EQ(kHeader + "Signal: SIGFPE (Rechenfehler)\n" + "Zuletzt: " + std::string(120, 'k') + "\n" + kFooter,
              storetest::readFile(run / "Zelvane_crash.txt"));
}

TEST(CrashReport, EmptyRuntimeDirUsesTheDataDirectory) {
    TempDir home;
    const int status = crashChild(
        [&] {
            ::setenv("XDG_RUNTIME_DIR", "", 1);
            ::setenv("XDG_DATA_HOME", home.path().c_str(), 1);
        },
        [] {}, SIGBUS);
    expectDiedOf(status, SIGBUS);
    EXPECT_EQ(kHeader + "Signal: SIGBUS (Busfehler)\n" + kFooter, storetest::readFile(home / "Zelvane/Zelvane_crash.txt"));
}

TEST(CrashReport, UnwritablePathStillEndsWithTheSignal) {
    TempDir run;
    storetest::writeFile(run / "file", "x");
    const int status =
        crashChild([&] { ::setenv("XDG_RUNTIME_DIR", (run / "file").c_str(), 1); }, [] {}, SIGILL);
    expectDiedOf(status, SIGILL);
    EXPECT_EQ("x", storetest::readFile(run / "file"));
}

}  // namespace
