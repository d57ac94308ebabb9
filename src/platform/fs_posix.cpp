// The parts of platform::fs that need POSIX calls: flushing to disk and the
// crash-safe file replacement.
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
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

}  // namespace

bool syncFile(const std::string& path) { return syncPath(path, O_RDONLY); }

bool syncDir(const std::string& path) { return syncPath(path, O_RDONLY | O_DIRECTORY); }

bool writeFileAtomic(const std::string& path, const std::string& tmpPath, const std::string& bytes) {
    const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
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

}  // namespace platform::fs
