// Helpers for the shell tests: a headless SDL window with the software
// renderer, scripted loop hooks, pixel read-back and child processes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ui/frame.h"
#include "ui/gpu.h"

namespace shelltest {

// Fontconfig and pango keep the fonts they load, and their font cache, until
// the process ends; the leak checker of a sanitizer build takes them for leaks.
inline constexpr char kLibraryCacheLeaks[] = "leak:libfontconfig.so\nleak:libpangoft2-1.0.so\n";

// A temporary home, removed at the end only by the process that made it
// (not by forked children).
struct TempHome {
    std::string path;
    pid_t owner = ::getpid();
    TempHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelvane-shell-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path = pattern;
    }
    ~TempHome() {
        std::error_code ignored;
        if (!path.empty() && ::getpid() == owner) std::filesystem::remove_all(path, ignored);
    }
};

// Keeps the test process away from the real home and display.
inline void headlessEnvironment() {
    static const TempHome temp;
    const std::string home = temp.path.empty() ? std::string("/tmp") : temp.path;
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("ZELVANE_STATS");
    ::unsetenv("ZELVANE_SCREEN");
}

inline std::uint32_t pixelAt(SDL_Renderer* renderer, int x, int y) {
    SDL_Rect r{x, y, 1, 1};
    std::uint32_t argb = 0;
    SDL_RenderReadPixels(renderer, &r, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
    return argb & 0xFFFFFF;
}

inline int channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// A real window on SDL's dummy video driver, drawn by the software renderer,
// with a scripted clock, pointer and settings save.
class HeadlessWindow : public ::testing::Test {
protected:
    void SetUp() override {
        headlessEnvironment();
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        window_ = SDL_CreateWindow("test", 0, 0, 1280, 720, SDL_WINDOW_RESIZABLE);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        ASSERT_NE(renderer_, nullptr) << SDL_GetError();
        ui::gpuInit(renderer_);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // the window's own start-up events
    }
    void TearDown() override {
        loop_.reset();
        ui::gpuShutdown();
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    // A loop on this window; every hook is scripted.
    ui::FrameLoop& startLoop(const ui::WindowStart& start = {}) {
        ui::FrameHooks hooks;
        hooks.now = [this] { return clock_; };
        hooks.samplePointer = [this] { return pointer_; };
        hooks.saveSettings = [this] { ++saves_; };
        hooks.afterUpdate = [this] {
            if (afterUpdate_) afterUpdate_(loop_->ctx());
        };
        hooks.beforePresent = [this](SDL_Renderer*) {
            if (beforePresent_) beforePresent_();
        };
        hooks.terminate = &terminate_;
        loop_ = std::make_unique<ui::FrameLoop>(window_, renderer_, settings_, start, std::move(hooks));
        return *loop_;
    }

    // Runs one frame at clock time t.
    bool frameAt(double t) {
        clock_ = t;
        return loop_->runFrame();
    }

    void pushKey(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SDL_GetWindowID(window_);
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    void pushButton(Uint32 type, Uint8 button) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = SDL_GetWindowID(window_);
        e.button.button = button;
        SDL_PushEvent(&e);
    }
    void pushWindowEvent(Uint8 what, int data1 = 0, int data2 = 0) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SDL_GetWindowID(window_);
        e.window.event = what;
        e.window.data1 = data1;
        e.window.data2 = data2;
        SDL_PushEvent(&e);
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    store::Settings settings_;
    std::unique_ptr<ui::FrameLoop> loop_;
    double clock_ = 0;
    ui::PointerSample pointer_;
    int saves_ = 0;
    volatile std::sig_atomic_t terminate_ = 0;
    std::function<void(ui::Ctx&)> afterUpdate_;
    std::function<void()> beforePresent_;
};

// The game executable next to this test binary, run with its output captured.
class Child {
public:
    static std::string gameBinary() {
        char buf[4096];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0) return "";
        const std::string self(buf, static_cast<std::size_t>(n));
        return self.substr(0, self.rfind('/')) + "/zelvane";
    }

    // Starts the game with extra environment entries ("NAME=value").
    bool start(const std::vector<std::string>& args, const std::vector<std::string>& env) {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0 || (pid_ = ::fork()) < 0) return false;
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (const std::string& entry : env) ::putenv(const_cast<char*>(entry.c_str()));
            const std::string binary = gameBinary();
            std::vector<char*> argv{const_cast<char*>(binary.c_str())};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(binary.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        fds_[0] = out[0];
        fds_[1] = err[0];
        return true;
    }

    // Reads output until stdout contains marker, the child ends or the time runs out.
    bool waitForOutput(const std::string& marker, double seconds) {
        const auto until = deadline(seconds);
        while (out_.find(marker) == std::string::npos) {
            if (std::chrono::steady_clock::now() > until || (!readSome(50) && exited())) break;
        }
        return out_.find(marker) != std::string::npos;
    }

    void signal(int sig) { ::kill(pid_, sig); }

    // The exit status (or 128 + signal of a death); -1 when it had to be killed.
    int wait(double seconds) {
        const auto until = deadline(seconds);
        while (!exited()) {
            readSome(20);
            if (std::chrono::steady_clock::now() > until) {
                kill();
                return -1;
            }
        }
        while (readSome(0)) {
        }
        return WIFSIGNALED(status_) ? 128 + WTERMSIG(status_) : WEXITSTATUS(status_);
    }

    ~Child() {
        if (pid_ > 0 && !reaped_) kill();
        for (int fd : fds_) {
            if (fd >= 0) ::close(fd);
        }
    }

    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

private:
    static std::chrono::steady_clock::time_point deadline(double seconds) {
        return std::chrono::steady_clock::now() +
               std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    }
    void kill() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
        reaped_ = true;
    }
    bool exited() {
        if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
        return reaped_;
    }

    // Drains whatever the child wrote; false when nothing came.
    bool readSome(int timeoutMs) {
        pollfd fds[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) <= 0) return false;
        bool any = false;
        std::string* sinks[2] = {&out_, &err_};
        for (int i = 0; i < 2; ++i) {
            char buf[4096];
            const ssize_t n = (fds[i].revents & POLLIN) ? ::read(fds_[i], buf, sizeof buf) : 0;
            if (n > 0) sinks[i]->append(buf, static_cast<std::size_t>(n)), any = true;
        }
        return any;
    }

    pid_t pid_ = -1;
    int fds_[2] = {-1, -1};
    int status_ = 0;
    bool reaped_ = false;
    std::string out_, err_;
};

}  // namespace shelltest
