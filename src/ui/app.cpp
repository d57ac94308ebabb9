#include "ui/app.h"

#include <algorithm>
#include <cstdio>

#include <SDL_keycode.h>

#include "core/storage.h"
#include "platform/crash.h"

namespace ui {

Rect Rect::inset(double d) const {
    const double nw = std::max(0.0, w - 2 * d);
    const double nh = std::max(0.0, h - 2 * d);
    return Rect{cx() - nw * 0.5, cy() - nh * 0.5, nw, nh};
}

bool Input::hasKey(int key) const { return std::find(keys.begin(), keys.end(), key) != keys.end(); }

bool Input::hasCtrlKey(int key) const {
    for (std::size_t i = 0; i < keys.size() && i < keyMods.size(); ++i) {
        if (keys[i] == key && (keyMods[i] & KMOD_CTRL)) return true;
    }
    return false;
}

int Input::takeKey(int key) {
    int n = 0;
    for (std::size_t i = keys.size(); i-- > 0;) {
        if (keys[i] != key) continue;
        keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < keyMods.size()) keyMods.erase(keyMods.begin() + static_cast<std::ptrdiff_t>(i));
        ++n;
    }
    return n;
}

bool Ctx::takeClick(const Rect& r) {
    if (clickUsed || !in.released || !r.contains(in.mouseX, in.mouseY)) return false;
    clickUsed = true;
    return true;
}

bool Ctx::takeRightClick(const Rect& r) const { return in.rightPressed && r.contains(in.mouseX, in.mouseY); }

bool Ctx::hover(const Rect& r) const { return r.contains(in.mouseX, in.mouseY); }

int Ctx::focusId(const Rect& r) {
    const int id = ++focus.count;
    if (id == focus.current) focus.rect = r;
    return id;
}

bool Ctx::takeActivation(int id) {
    if (!focused(id) || focus.activated != 0) return false;
    if (in.takeKey(SDLK_RETURN) + in.takeKey(SDLK_KP_ENTER) + in.takeKey(SDLK_SPACE) == 0) return false;
    focus.activated = id;
    return true;
}

void Ctx::setFocus(int id) {
    focus.current = id;
    focus.visible = true;
}

void Ctx::beginFocusFrame() {
    focus.count = 0;
    focus.activated = 0;
    // The mouse takes over: the ring stays away until the next key.
    if (in.pressed || in.dragDx != 0 || in.dragDy != 0) focus.visible = false;
}

namespace {

// +1 or -1 for a key that moves the focus in reading order, else 0.
int focusStep(int key, int mods) {
    switch (key) {
        case SDLK_TAB: return (mods & KMOD_SHIFT) ? -1 : 1;
        case SDLK_DOWN:
        case SDLK_RIGHT: return 1;
        case SDLK_UP:
        case SDLK_LEFT: return -1;
        default: return 0;
    }
}

}  // namespace

// The keys no control used this frame move the focus over this frame's controls.
void Ctx::endFocusFrame() {
    const int n = focus.count;
    focus.lastCount = n;
    if (n == 0) {
        focus.current = 0;
        return;
    }
    if (focus.current > n) focus.current = n;
    for (std::size_t i = 0; i < in.keys.size(); ++i) {
        const int key = in.keys[i];
        const int step = focusStep(key, i < in.keyMods.size() ? in.keyMods[i] : 0);
        const bool choose = key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE;
        if (step == 0 && !choose) continue;
        if (!focus.visible) {
            // The first key only shows where the focus is.
            focus.visible = true;
            if (focus.current < 1) focus.current = step < 0 ? n : 1;
            continue;
        }
        if (step != 0) focus.current = (focus.current - 1 + step + n) % n + 1;
    }
}

std::uint32_t freshGameSeed() { return static_cast<std::uint32_t>(store::nowMs()) & 0x7FFFFFFFu; }

GameState freshGame(int level) {
    GameState game;
    game.kind = ScreenKind::Playing;
    game.level = level;
    game.seed = freshGameSeed();
    return game;
}

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
    ctx.beginFocusFrame();
    // Another screen starts with the focus on its first control; the same
    // screen rebuilt (a language change) keeps it.
    if (top().kind != focusKind_ || depth() != focusDepth_) {
        focusKind_ = top().kind;
        focusDepth_ = depth();
        ctx.focus.current = ctx.focus.visible ? 1 : 0;
    }
    if (screen_) screen_->update(ctx);
    ctx.endFocusFrame();
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
