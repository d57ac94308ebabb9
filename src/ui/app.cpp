#include "ui/app.h"

#include <algorithm>
#include <cstdio>

#include "platform/crash.h"

namespace ui {

Rect Rect::inset(double d) const {
    const double nw = std::max(0.0, w - 2 * d);
    const double nh = std::max(0.0, h - 2 * d);
    return Rect{cx() - nw * 0.5, cy() - nh * 0.5, nw, nh};
}

bool Input::hasKey(int key) const { return std::find(keys.begin(), keys.end(), key) != keys.end(); }

bool Ctx::takeClick(const Rect& r) {
    if (clickUsed || !in.released || !r.contains(in.mouseX, in.mouseY)) return false;
    clickUsed = true;
    return true;
}

bool Ctx::takeRightClick(const Rect& r) const { return in.rightPressed && r.contains(in.mouseX, in.mouseY); }

bool Ctx::hover(const Rect& r) const { return r.contains(in.mouseX, in.mouseY); }

double layoutScale(double w, double h) { return std::clamp(std::min(w / 1280.0, h / 720.0), 0.72, 2.0); }

namespace {

std::unique_ptr<Screen> build(const GameState& state) {
    switch (state.kind) {
        case ScreenKind::Splash: return makeSplashScreen();
        case ScreenKind::Menu: return makeMenuScreen();
        case ScreenKind::LevelSelect: return makeLevelSelectScreen();
        case ScreenKind::Playing: return makePlayingScreen(state);
        case ScreenKind::Solved: return makeSolvedScreen(state);
        case ScreenKind::Gallery: return makeGalleryScreen();
        case ScreenKind::Settings: return makeSettingsScreen();
        case ScreenKind::About: return makeAboutScreen();
        case ScreenKind::Licenses: return makeLicensesScreen();
        case ScreenKind::Replay: return makeReplayScreen(state);
    }
    return nullptr;  // a kind read from elsewhere that we do not know
}

}  // namespace

Game::Game() : stack_(1) {}

Game& Game::instance() {
    static Game game;
    return game;
}

void Game::push(const GameState& state) {
    stack_.push_back(state);
    ++serial_;
}

void Game::pop() {
    if (stack_.size() >= 2) stack_.pop_back();
    ++serial_;
}

void Game::replace(const GameState& state) {
    stack_.back() = state;
    ++serial_;
}

void Game::resetTo(const GameState& state) {
    stack_.assign(1, state);
    ++serial_;
}

void Game::update(Ctx& ctx) {
    ensureScreen();
    if (screen_) screen_->update(ctx);
}

void Game::quit() {
    if (screen_) screen_->onQuit();
}

void Game::ensureScreen() {
    if (screen_ && builtSerial_ == serial_) return;
    builtSerial_ = serial_;
    const GameState state = top();  // a copy: the factory may touch the stack
    char context[160];
    std::snprintf(context, sizeof context, "Bildschirm %d, Level %d, Seed %u", static_cast<int>(state.kind), state.level,
                  static_cast<unsigned>(state.seed));
    platform::setCrashContext(context);
    std::unique_ptr<Screen> fresh = build(state);
    if (!fresh) return;
    // The old screen goes only after the new one exists.
    std::swap(screen_, fresh);
}

}  // namespace ui
