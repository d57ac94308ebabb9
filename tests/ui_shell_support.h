// Helpers for the shell tests: a headless SDL window with the software
// renderer, scripted loop hooks, pixel read-back and child processes.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <SDL.h>
#include <fcntl.h>
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

// The environment entries that keep a process away from the real home and display.
inline std::vector<std::string> headlessEntries(const std::string& home) {
    return {"HOME=" + home, "XDG_DATA_HOME=" + home + "/data", "XDG_CACHE_HOME=" + home + "/cache",
            "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
}

// Keeps the test process away from the real home and display.
inline void headlessEnvironment() {
    static const TempHome temp;
    for (const std::string& entry : headlessEntries(temp.path.empty() ? std::string("/tmp") : temp.path)) {
        const std::size_t eq = entry.find('=');
        ::setenv(entry.substr(0, eq).c_str(), entry.c_str() + eq + 1, 1);
    }
    ::unsetenv("ZELVANE_STATS");
    ::unsetenv("ZELVANE_SCREEN");
}

inline std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::uint32_t pixelAt(SDL_Renderer* renderer, int x, int y) {
    SDL_Rect r{x, y, 1, 1};
    std::uint32_t argb = 0;
    SDL_RenderReadPixels(renderer, &r, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
    return argb & 0xFFFFFF;
}

inline int channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// Scripted input. Real events carry their window's id; the loop takes every event it is given.
inline void pushKey(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}
// The loop takes the pointer's place from its sample, not from the events.
inline void pushButton(Uint32 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    SDL_PushEvent(&e);
}
// Wheel notches; negative scrolls towards the end.
inline void pushWheel(int notches) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = notches;
    SDL_PushEvent(&e);
}
inline void pushWindowEvent(Uint8 what, int data1 = 0, int data2 = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    e.window.data1 = data1;
    e.window.data2 = data2;
    SDL_PushEvent(&e);
}

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
        ui::Game::instance().resetTo(ui::GameState{});
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

// The game executable next to this test binary, run with its output going to
// files of its own; the files are read afresh on every look.
class Child {
public:
    static std::string gameBinary() {
        std::error_code ignored;
        return (std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path() / "zelvane").string();
    }

    // Starts the game with extra environment entries ("NAME=value").
    bool start(const std::vector<std::string>& args, const std::vector<std::string>& env) {
        if (logs_.path.empty() || (pid_ = ::fork()) < 0) return false;
        if (pid_ == 0) {
            ::dup2(::open((logs_.path + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            ::dup2(::open((logs_.path + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            for (const std::string& entry : env) ::putenv(const_cast<char*>(entry.c_str()));
            const std::string binary = gameBinary();
            std::vector<char*> argv{const_cast<char*>(binary.c_str())};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(binary.c_str(), argv.data());
            ::_exit(127);
        }
        return true;
    }

    // Waits until stdout contains marker, the child ends or the time runs out.
    bool waitForOutput(const std::string& marker, double seconds) {
        const auto seen = [&] { return out().find(marker) != std::string::npos; };
        for (int i = 0; i < seconds * 50 && !seen() && !exited(); ++i) ::usleep(20000);
        return seen();
    }

    void signal(int sig) { ::kill(pid_, sig); }

    // The exit status (or 128 + signal of a death); -1 when it had to be killed.
    int wait(double seconds) {
        for (int i = 0; i < seconds * 50 && !exited(); ++i) ::usleep(20000);
        if (!exited()) {
            kill();
            return -1;
        }
        return WIFSIGNALED(status_) ? 128 + WTERMSIG(status_) : WEXITSTATUS(status_);
    }

    ~Child() {
        if (pid_ > 0 && !reaped_) kill();
    }

    std::string out() const { return contents(logs_.path + "/out"); }
    std::string err() const { return contents(logs_.path + "/err"); }

private:
    void kill() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
        reaped_ = true;
    }
    bool exited() {
        if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
        return reaped_;
    }

    TempHome logs_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool reaped_ = false;
};

}  // namespace shelltest
