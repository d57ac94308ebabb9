#include "platform/paths.h"

#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs.h"

namespace paths {

namespace {

const char* const kProductDir = "Zelvane";

// Unset and empty variables both count as absent.
std::string envOr(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool looksLikeAssetDir(const std::string& dir) {
    return platform::fs::isDir(dir + "/assets/fonts") && platform::fs::isDir(dir + "/assets/audio");
}

std::vector<std::string> assetCandidates() {
    const std::string share = std::string("/usr/share/") + kProductDir;
    const std::string exe = exeDir();
    std::vector<std::string> candidates;
    // A package sandbox wins over an explicit override: inside it only its own
    // tree is known to match the binary.
    if (const std::string snap = envOr("SNAP"); !snap.empty()) candidates.push_back(snap + share);
    if (const std::string appDir = envOr("APPDIR"); !appDir.empty()) candidates.push_back(appDir + share);
    if (const std::string own = envOr("ZELVANE_ASSET_DIR"); !own.empty()) candidates.push_back(own);
    candidates.push_back(exe + "/../share/" + kProductDir);  // installed prefix
    candidates.push_back(share);
    candidates.push_back(std::string("/app/share/") + kProductDir);
    candidates.push_back(exe);  // build folder
    candidates.push_back(exe + "/..");
    candidates.push_back(".");
    return candidates;
}

std::string findAssetDir() {
    for (const std::string& candidate : assetCandidates()) {
        if (looksLikeAssetDir(candidate)) return candidate;
    }
    return exeDir();
}

// `xdgVar` + "/Zelvane", else $HOME (or ".") + `homeSuffix` + "/Zelvane".
std::string userDir(const char* xdgVar, const char* homeSuffix) {
    std::string dir;
    if (const std::string xdg = envOr(xdgVar); !xdg.empty()) {
        dir = xdg + "/" + kProductDir;
    } else {
        const std::string home = envOr("HOME");
        dir = home.empty() ? std::string(".") : home;
        dir += homeSuffix;
        dir += "/";
        dir += kProductDir;
    }
    // The player's own files: a directory made here is theirs alone. A
    // failure shows later as failed writes.
    if (!platform::fs::isDir(dir) && platform::fs::ensureDir(dir)) ::chmod(dir.c_str(), 0700);
    return dir;
}

}  // namespace

std::string exeDir() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    const std::string target(buf, static_cast<std::size_t>(n));
    const auto slash = target.rfind('/');
    if (slash == std::string::npos) return ".";
    return target.substr(0, slash);
}

const std::string& assetDir() {
    static const std::string dir = findAssetDir();
    return dir;
}

std::string asset(const std::string& rel) { return assetDir() + "/" + rel; }

const std::string& dataDir() {
    static const std::string dir = userDir("XDG_DATA_HOME", "/.local/share");
    return dir;
}

const std::string& cacheDir() {
    static const std::string dir = userDir("XDG_CACHE_HOME", "/.cache");
    return dir;
}

bool ensureDir(const std::string& path) { return platform::fs::ensureDir(path); }

void redirectDiagnostics() {}

void prepareFontconfig() {}

}  // namespace paths
