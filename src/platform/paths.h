// Where the game finds its read-only assets and keeps per-user data.
#pragma once

#include <string>

namespace paths {

// Directory of the running executable without trailing slash; "." when unknown.
std::string exeDir();
// Asset root (holds "assets/fonts" and "assets/audio"); found once per run.
const std::string& assetDir();
// assetDir() + "/" + rel, without checking that it exists.
std::string asset(const std::string& rel);
// Per-user data directory, decided and created on the first call.
const std::string& dataDir();
// Per-user cache directory, decided and created on the first call.
const std::string& cacheDir();
bool ensureDir(const std::string& path);
// Start-up hooks for platforms that need them; nothing to do on Linux.
void redirectDiagnostics();
void prepareFontconfig();

}  // namespace paths
