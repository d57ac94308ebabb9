#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>

#include "platform/crash.h"
#include "store_support.h"

namespace {

const std::string kHeader =
    "Orlavan's Chess 1.0.1 (Build 1030)\nportiert aus 1.0\n-----------------------------------------\n";
const std::string kFooter =
    "\nDiese Datei wird NICHT verschickt. Wenn du magst, schick sie an\n"
    "hallo@orlavan-software.de \xE2\x80\x94 daraus laesst sich der Fehler finden.\n";

// The report goes to $XDG_RUNTIME_DIR, else to the data directory; none where
// it cannot be written or where its path would be cut (and so name a file
// elsewhere). Either way the process dies of the signal.
TEST(CrashReport, WritesTheExactReportAndDiesOfTheSignal) {
    storetest::TempDir dir;
    storetest::writeFile(dir / "file", "x");
    std::string deep = dir.path();  // cut at 511 characters, the path would end in a new file of `deep`
    while (deep.size() < 400) deep += "/" + std::string(std::min<std::size_t>(100, 400 - deep.size()), 'd');
    std::filesystem::create_directories(deep);
    const std::string longContext(200, 'k');
    const struct {
        int sig;
        const char* context;
        std::string runtimeDir, reportAt, body;
    } cases[] = {
        {SIGSEGV, "Bildschirm 3, Level 17, Seed 4242", dir.path(), dir / "Zelvane_crash.txt",
         "Signal: SIGSEGV (Zugriff auf fremden Speicher)\nZuletzt: Bildschirm 3, Level 17, Seed 4242\n"},
        {SIGABRT, nullptr, dir.path(), dir / "Zelvane_crash.txt", "Signal: SIGABRT (abgebrochen)\n"},
        {SIGFPE, longContext.c_str(), dir.path(), dir / "Zelvane_crash.txt",
         "Signal: SIGFPE (Rechenfehler)\nZuletzt: " + std::string(120, 'k') + "\n"},
        {SIGBUS, nullptr, "", dir / "Zelvane/Zelvane_crash.txt", "Signal: SIGBUS (Busfehler)\n"},
        {SIGILL, nullptr, dir / "file", "", ""},
        {SIGSEGV, nullptr, deep + "/" + std::string(150, 'q'), "", ""},
    };
    for (const auto& c : cases) {
        const int status = storetest::runInChild([&] {
            ::setenv("XDG_RUNTIME_DIR", c.runtimeDir.c_str(), 1);
            ::setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
            platform::installCrashHandler();
            platform::setCrashContext("earlier");
            platform::setCrashContext(c.context);
            std::raise(c.sig);
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(c.sig, WTERMSIG(status));
        const bool reported = !c.reportAt.empty();
        EXPECT_EQ(reported ? kHeader + c.body + kFooter : "", reported ? storetest::readFile(c.reportAt) : "");
        if (reported) std::filesystem::remove(c.reportAt);
    }
    EXPECT_EQ("x", storetest::readFile(dir / "file"));
    EXPECT_TRUE(std::filesystem::is_empty(deep));
}

}  // namespace
