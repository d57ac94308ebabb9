// Helpers shared by the store tests. The store and the directory caches are
// once-per-process state, so every test that loads or writes through them
// runs in a forked child with its own environment.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/json.h"
#include "core/storage.h"
#include "platform/save_crypt.h"

namespace storetest {

// A fresh directory under the system temp folder, removed with its content.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelvane-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Makes `dir` the home of this process; the game's data directory becomes
// dir + "/data/Zelvane", and standard error goes to dir + "/stderr.txt".
inline std::string useHome(const std::string& dir, bool redirectStderr = true) {
    ::setenv("HOME", dir.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (dir + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    const std::string data = dir + "/data/Zelvane";
    if (!redirectStderr) return data;
    std::filesystem::create_directories(data);
    std::fflush(stderr);
    const int fd = ::open((dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, 2);
    ::close(fd);
    return data;
}

// Keeps the test process itself away from the real home.
inline const bool kHomeGuarded = [] {
    static TempDir home;
    useHome(home.path(), false);
    ::unsetenv("ZELVANE_SOLVES");
    return true;
}();

// The bytes on disk once the store's queued writes have landed.
inline std::string readFile(const std::string& path) {
    store::flush();
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every entry of a directory, symlinks and directories included, sorted.
inline std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline unsigned mode(const std::string& path) {
    return static_cast<unsigned>(std::filesystem::status(path).permissions());
}

// What the child wrote to standard error so far, for a data directory set up by useHome().
inline std::string stderrText(const std::string& data) {
    std::fflush(stderr);
    return readFile(data + "/../../stderr.txt");
}

// The parsed plain text of a sealed file; Null when it does not open.
inline js::Value openSealedJson(const std::string& path) {
    std::string text;
    if (platform::saveDecrypt(readFile(path), &text) != platform::SaveReadResult::Ok) return {};
    return js::parse(text);
}

// Runs `body` in a forked child and returns its wait status. Failures inside
// the child are printed there and turn into a non-zero exit code.
inline int runInChild(const std::function<void()>& body) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            body();
        } catch (const std::exception& e) {  // the child must not go on to run the other tests
            ADD_FAILURE() << e.what();
        }
        store::flush();  // _exit skips the flush at exit
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    return status;
}

// Passes when the child ran `body` without a failed expectation.
#define EXPECT_IN_CHILD(...) EXPECT_EQ(0, ::storetest::runInChild(__VA_ARGS__)) << "see the child's output above"

// Loads the store in a child with a fresh home whose data directory already
// holds the sealed `json` as the file `name` (no file when `json` is empty),
// then runs `body` with the data directory.
inline void withStore(const std::string& name, const std::string& json,
                      const std::function<void(const std::string& data)>& body) {
    const TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = useHome(home.path());
        if (!json.empty()) writeFile(data + "/" + name, platform::saveEncrypt(json));
        store::init();
        body(data);
    });
}

}  // namespace storetest
