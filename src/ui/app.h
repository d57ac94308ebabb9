// The screen stack and the per-frame context every screen works with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;

namespace ui {

// Window coordinates; the left and top edges are inside, right and bottom not.
struct Rect {
    double x = 0, y = 0, w = 0, h = 0;

    double right() const { return x + w; }
    double bottom() const { return y + h; }
    double cx() const { return x + w * 0.5; }
    double cy() const { return y + h * 0.5; }
    bool contains(double px, double py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    // Shrunk by d on every side (grown when d is negative), never below zero size.
    Rect inset(double d) const;
};

// Everything the player did during one frame.
struct Input {
    double mouseX = 0, mouseY = 0;
    bool mouseDown = false;
    bool pressed = false;
    bool released = false;
    bool doubleClick = false;
    bool rightPressed = false;
    bool middleDown = false;
    double wheel = 0;
    double dragDx = 0, dragDy = 0;
    std::vector<int> keys;  // SDL key codes in arrival order, repeats included
    std::vector<int> keyMods;  // the SDL modifier bits each of those keys came with
    bool ctrl = false, shift = false;

    bool hasKey(int key) const;
    // The key pressed with Ctrl held, as its own event reported it.
    bool hasCtrlKey(int key) const;
    // Removes the key from this frame's list (a control used it); how often it was there.
    int takeKey(int key);
};

// Keyboard focus: every focusable control asks for an id in drawing order,
// which is also reading order, and compares it with `current` as it draws.
// Tab, Shift+Tab and the arrows left over at the end of a frame move it.
struct Focus {
    int current = 0;           // focused control, 1-based; 0 none
    int count = 0;             // ids handed out so far this frame
    int lastCount = 0;         // ids the previous frame handed out
    bool visible = false;      // the ring shows: a key was used since the mouse last moved
    int activated = 0;         // the id that took this frame's Enter or Space, 0 none
    Rect rect;                 // where the focused control was last drawn
};

// A drag-scroll or fling that carries over frames.
struct ScrollDrag {
    bool active = false;
    double moved = 0;
    double velocity = 0;
    double* target = nullptr;
};

struct Ctx {
    cairo_t* cr = nullptr;  // overlay, drawing in window coordinates
    double w = 0, h = 0;
    double t = 0;   // seconds since the loop started
    double dt = 0;  // at most 0.1
    Input in;
    bool quitRequested = false;
    bool clickUsed = false;
    ScrollDrag scrollDrag;
    double ui = 1.0;  // layout scale against the 1280 x 720 reference
    Focus focus;

    double s(double v) const { return v * ui; }
    bool compact() const { return w < 1100 * ui || h < 640 * ui; }
    bool landscape() const { return w >= h; }
    // A left release inside r, granted to the first caller of the frame.
    bool takeClick(const Rect& r);
    bool takeRightClick(const Rect& r) const;
    bool hover(const Rect& r) const;

    // The next control's focus id; r is where it is drawn.
    int focusId(const Rect& r);
    // The ring belongs on this control.
    bool focused(int id) const { return focus.visible && focus.current == id; }
    // Enter or Space on the focused control, granted once per frame.
    bool takeActivation(int id);
    // Puts the visible focus on id (from the next frame's drawing on).
    void setFocus(int id);
    // Called by the screen stack around each screen update.
    void beginFocusFrame();
    void endFocusFrame();
};

// A new game's seed, which only names its saved game: the clock's low 31 bits.
std::uint32_t freshGameSeed();

// The layout scale for a window of w x h: fits 1280 x 720, kept within 0.72..2.0.
double layoutScale(double w, double h);

enum class ScreenKind : std::int32_t {
    Splash = 0,
    Menu = 1,
    LevelSelect = 2,
    Playing = 3,
    Solved = 4,
    Gallery = 5,
    Settings = 6,
    About = 7,
    Licenses = 8,
    Replay = 9,
};

enum class Outcome : std::int32_t { Win = 0, Loss = 1, Draw = 2 };

// What a stacked screen is built from; copied by value.
struct GameState {
    ScreenKind kind = ScreenKind::Splash;
    int level = 1;
    std::uint32_t seed = 0;
    bool resume = false;
    int moves = 0;
    std::int64_t elapsedMs = 0;
    std::string finalFen;
    Outcome outcome = Outcome::Win;
    bool playerWhite = true;
    // The game itself (solved screen), coordinate moves from startFen.
    std::string startFen{};
    std::vector<std::string> playedMoves{};
    bool hintUsed = false;  // the finished game had a hint, which caps its stars
};

// A new game of `level` on the playing screen, under a fresh seed.
GameState freshGame(int level);

class Screen {
public:
    virtual ~Screen() = default;
    // Reacts to this frame's input and draws the whole screen.
    virtual void update(Ctx& ctx) = 0;
    // The program is ending while this screen is shown: keep what must not be lost.
    virtual void onQuit() {}
};

// Only the top descriptor has a live screen; stack changes show at the next frame.
class Game {
public:
    static Game& instance();

    void push(const GameState& state);
    void pop();
    void replace(const GameState& state);
    void resetTo(const GameState& state);
    const GameState& top() const { return stack_.back(); }
    // The screen a pop returns to, or null when the top one is the only one.
    const GameState* underTop() const { return stack_.size() >= 2 ? &stack_[stack_.size() - 2] : nullptr; }
    int depth() const { return static_cast<int>(stack_.size()); }
    void invalidate() { ++serial_; }
    void update(Ctx& ctx);
    void ensureScreen();
    // Tells the live screen that the program is ending.
    void quit();
    // The live screen, or null before the first update.
    const Screen* current() const { return screen_.get(); }

private:
    Game();

    std::vector<GameState> stack_;
    std::unique_ptr<Screen> screen_;
    int builtSerial_ = -1;
    int serial_ = 0;
    ScreenKind focusKind_ = ScreenKind::Splash;  // the screen the focus belongs to
    int focusDepth_ = 0;
};

std::unique_ptr<Screen> makeSplashScreen();
std::unique_ptr<Screen> makeMenuScreen();
std::unique_ptr<Screen> makeLevelSelectScreen();
std::unique_ptr<Screen> makePlayingScreen(const GameState& state);
std::unique_ptr<Screen> makeSolvedScreen(const GameState& state);
std::unique_ptr<Screen> makeGalleryScreen();
std::unique_ptr<Screen> makeSettingsScreen();
std::unique_ptr<Screen> makeAboutScreen();
std::unique_ptr<Screen> makeLicensesScreen();
// A won game from the gallery (state.level), stepped through move by move.
std::unique_ptr<Screen> makeReplayScreen(const GameState& state);

}  // namespace ui
