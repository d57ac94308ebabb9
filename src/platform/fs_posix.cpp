// The parts of platform::fs that need POSIX calls: flushing to disk, reading
// whole files and the crash-safe file replacement.
#include <cerrno>
#include <cstdio>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs.h"

namespace platform::fs {

namespace {

bool syncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return synced && closed;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string parentDir(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

constexpr int kNameAttempts = 100;
constexpr std::size_t kTagLength = 6;
constexpr const char kTempSuffix[] = ".neu";

// Random letters and digits, fresh for every temporary.
std::string randomTag() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 rng{std::random_device("default")() ^ static_cast<unsigned>(::getpid())};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kChars) - 2);
    std::string tag(kTagLength, 'x');
    for (char& c : tag) c = kChars[pick(rng)];
    return tag;
}

// A temporary of our own next to `path`: a name nobody else uses, never a
// symlink someone left there.
int createTemporary(const std::string& path, std::string* tmpPath) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        *tmpPath = path + "." + randomTag() + kTempSuffix;
        const int fd = createNew(*tmpPath);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// "<file>.XXXXXX.neu", or the single "<file>.neu" of earlier versions, for
// the file whose name plus "." is `prefix`.
bool isTemporaryName(const std::string& name, const std::string& prefix) {
    const std::size_t suffix = sizeof kTempSuffix - 1;
    if (name == prefix + (kTempSuffix + 1)) return true;
    return name.size() == prefix.size() + kTagLength + suffix && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix, suffix, kTempSuffix) == 0;
}

bool readAll(int fd, std::string* out) {
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out->append(buf, static_cast<std::size_t>(n));
    }
}

std::string reasonOf(int err) {
    switch (err) {
        case EACCES:
        case EPERM: return "keine Berechtigung";
        case EIO: return "Ein-/Ausgabefehler";
        case ELOOP: return "zu viele symbolische Verweise";
        case EISDIR: return "ein Verzeichnis";
        default: return "Fehler " + std::to_string(err);
    }
}

}  // namespace

bool syncFile(const std::string& path) { return syncPath(path, O_RDONLY); }

bool syncDir(const std::string& path) { return syncPath(path, O_RDONLY | O_DIRECTORY); }

int createNew(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool writeFileAtomic(const std::string& path, const std::string& bytes) {
    std::string tmpPath;
    const int fd = createTemporary(path, &tmpPath);
    if (fd < 0) return false;  // nothing was created, so nothing to remove
    const bool written = writeAll(fd, bytes);
    // The data must be on disk before the rename makes it the file's content;
    // otherwise a power cut could leave a renamed but empty file.
    const bool synced = written && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !synced || !closed || ::rename(tmpPath.c_str(), path.c_str()) != 0) {
        ::unlink(tmpPath.c_str());
        return false;
    }
    syncDir(parentDir(path));  // the rename itself; the data is safe either way
    return true;
}

void removeLeftoverTemporaries(const std::string& path) {
    const std::string dir = parentDir(path);
    const std::string prefix = path.substr(path.rfind('/') + 1) + ".";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* entry = ::readdir(d)) {
        const std::string name = entry->d_name;
        if (isTemporaryName(name, prefix)) ::unlinkat(::dirfd(d), name.c_str(), 0);  // never a directory
    }
    ::closedir(d);
}

ReadStatus readFile(const std::string& path, std::int64_t maxBytes, std::string* out, std::string* error) {
    out->clear();
    // Non-blocking, so that a pipe put in the file's place cannot stall the game.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadStatus::Missing;
        if (error) *error = reasonOf(errno);
        return ReadStatus::Unreadable;
    }
    struct stat info {};
    ReadStatus status = ReadStatus::Ok;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (error) *error = "keine gewöhnliche Datei";
        status = ReadStatus::Unreadable;
    } else if (info.st_size > maxBytes) {
        status = ReadStatus::TooLarge;
    } else if (!readAll(fd, out)) {
        if (error) *error = reasonOf(errno);
        out->clear();
        status = ReadStatus::Unreadable;
    }
    ::close(fd);
    return status;
}

}  // namespace platform::fs
