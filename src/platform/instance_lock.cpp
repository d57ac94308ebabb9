#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

struct State {
    int fd = -1;  // the locked file, open until exit
    timespec seen{};
};

State& st() {
    static State state;
    return state;
}

std::string lockPath(const std::string& dir) { return dir + "/Zelvane.lock"; }

// The lock file's last modification, or zero when it cannot be read.
timespec modified(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return {};
    return info.st_mtim;
}

}  // namespace

LockResult lockDataDir(const std::string& dir) {
    const int fd = ::open(lockPath(dir).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return LockResult::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? LockResult::HeldElsewhere : LockResult::Unavailable;
    }
    st().fd = fd;
    st().seen = modified(fd);
    return LockResult::Acquired;
}

void knockOnLock(const std::string& dir) { ::utimensat(AT_FDCWD, lockPath(dir).c_str(), nullptr, AT_SYMLINK_NOFOLLOW); }

bool lockKnocked() {
    State& s = st();
    if (s.fd < 0) return false;
    const timespec now = modified(s.fd);
    if (now.tv_sec == s.seen.tv_sec && now.tv_nsec == s.seen.tv_nsec) return false;
    s.seen = now;
    return true;
}

}  // namespace platform
