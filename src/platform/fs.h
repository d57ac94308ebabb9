// Small file-system queries that report plain results instead of throwing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::fs {

// Size in bytes, -1 on any error (missing, a directory, no permission).
std::int64_t fileSize(const std::string& path);
// Removes a file or an empty directory; true only if something was removed.
bool remove(const std::string& path);
bool isFile(const std::string& path);
bool isDir(const std::string& path);
// Creates the directory and its missing parents; true when it now exists.
bool ensureDir(const std::string& path);
// Names of the regular files in `path` (symlinks count by their target),
// sorted by bytes; empty when the directory cannot be read.
std::vector<std::string> listDir(const std::string& path);
// rename(2): atomically replaces an existing `to`.
bool replaceAtomic(const std::string& from, const std::string& to);
// Flushes a file's content to disk.
bool syncFile(const std::string& path);
// Flushes a directory's entries (a finished rename) to disk.
bool syncDir(const std::string& path);

// Creates `path` for writing, 0600, only if nothing (not even a symlink) is
// there yet. The descriptor, or -1.
int createNew(const std::string& path);

// Writes `bytes` to a fresh temporary next to `path` (named path + ".XXXXXX.neu"),
// flushes it to disk, renames it over `path` and flushes the directory. `path`
// is never deleted first, so at every moment it holds either the complete old
// or the complete new content. On any failure the old file stays untouched,
// the temporary file is removed, and the result is false.
bool writeFileAtomic(const std::string& path, const std::string& bytes);
// Removes the temporaries of `path` that an interrupted write left behind.
void removeLeftoverTemporaries(const std::string& path);

enum class ReadStatus { Ok, Missing, TooLarge, Unreadable };
// Reads a regular file of at most maxBytes whole. Missing: nothing there (or
// no directory to hold it). Unreadable: something is there that cannot be
// opened or read (permissions, I/O errors, not a regular file); `error` then
// names the reason.
ReadStatus readFile(const std::string& path, std::int64_t maxBytes, std::string* out, std::string* error = nullptr);

}  // namespace platform::fs
