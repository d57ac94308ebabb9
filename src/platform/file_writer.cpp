#include "platform/file_writer.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/fs.h"

namespace platform {

namespace {

struct State {
    std::mutex mutex;
    std::condition_variable wake;      // new work for the writer
    std::condition_variable finished;  // the writer ran out of work
    // Paths in the order they were first queued, each with its newest bytes.
    std::vector<std::pair<std::string, std::string>> pending;
    bool writing = false;
    pid_t owner = 0;  // the process whose writer thread serves this state
};

void writerLoop(State* s) {
    std::unique_lock<std::mutex> lock(s->mutex);
    for (;;) {
        s->wake.wait(lock, [s] { return !s->pending.empty(); });
        const auto [path, bytes] = std::move(s->pending.front());
        s->pending.erase(s->pending.begin());
        s->writing = true;
        lock.unlock();
        platform::fs::writeFileAtomic(path, bytes);  // failures keep the old file
        lock.lock();
        s->writing = false;
        if (s->pending.empty()) s->finished.notify_all();
    }
}

// Created with its thread on first use, and again in a forked child, which
// inherits the memory but not the thread. Never destroyed: the detached
// thread may still use it while the process exits.
State* g_state = nullptr;

State* current() { return g_state && g_state->owner == ::getpid() ? g_state : nullptr; }

State& st() {
    if (!current()) {
        g_state = new State;
        g_state->owner = ::getpid();
        std::thread(writerLoop, g_state).detach();
        static const bool drainAtExit = std::atexit(flushFileWrites) == 0;
        (void)drainAtExit;
    }
    return *g_state;
}

}  // namespace

void queueFileReplace(const std::string& path, std::string bytes) {
    State& s = st();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        auto same = std::find_if(s.pending.begin(), s.pending.end(), [&](const auto& p) { return p.first == path; });
        if (same != s.pending.end()) {
            same->second = std::move(bytes);
        } else {
            s.pending.emplace_back(path, std::move(bytes));
        }
    }
    s.wake.notify_one();
}

void flushFileWrites() {
    State* s = current();
    if (!s) return;  // nothing was ever queued in this process
    std::unique_lock<std::mutex> lock(s->mutex);
    s->finished.wait(lock, [s] { return s->pending.empty() && !s->writing; });
}

}  // namespace platform
