#include "ui/widgets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include <SDL.h>
#include <cairo.h>

#include "i18n.h"
#include "theme.h"
#include "ui/draw.h"

#if __has_include("platform/audio.h")
#include "platform/audio.h"
#define ZELVANE_WIDGETS_HAVE_AUDIO 1
#endif

namespace ui {

namespace {

constexpr const char* kWidgetFamily = "DejaVu Sans, Orlavan Chess CJK";
constexpr const char* kVersionText = "1.0.1";
constexpr int kBuildNumber = 1030;
constexpr const char* kMakerNotice = "\u00A9 2026 Orlavan Software \u00B7 MIT";
constexpr double kPi = 3.14159265358979323846;

// Drag distance (window units) after which a release no longer counts as a click.
constexpr double kDragClickGuard = 5.0;

void playClick() {
#ifdef ZELVANE_WIDGETS_HAVE_AUDIO
    audio::play(audio::Sfx::Click);
#endif
}

// A click that also plays the click sound.
bool takeClickWithSound(Ctx& ctx, const Rect& r) {
    if (!ctx.takeClick(r)) return false;
    playClick();
    return true;
}

TextStyle widgetText(double size, bool bold, std::uint32_t color, double alpha = 1.0) {
    TextStyle style;
    style.family = kWidgetFamily;
    style.size = size;
    style.bold = bold;
    style.color = color;
    style.alpha = alpha;
    style.align = Align::Center;
    style.minScale = 0.6;
    return style;
}

Rect grown(const Rect& r, double dx, double dy) { return Rect{r.x - dx, r.y - dy, r.w + 2 * dx, r.h + 2 * dy}; }

Rect scaledAbout(const Rect& r, double k) {
    const double w = r.w * k;
    const double h = r.h * k;
    return Rect{r.cx() - w / 2, r.cy() - h / 2, w, h};
}

// The ten-point star outline: outer radius, inner 0.42 of it, first point straight up.
void starPath(cairo_t* cr, double cx, double cy, double outer) {
    cairo_new_sub_path(cr);
    for (int k = 0; k < 10; ++k) {
        const double angle = -kPi / 2 + k * kPi / 5;
        const double radius = (k % 2 == 0) ? outer : outer * 0.42;
        const double x = cx + radius * std::cos(angle);
        const double y = cy + radius * std::sin(angle);
        if (k == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

// A vertical white sheen fading from alpha `top` to 0 over r, fully rounded.
void glossBand(cairo_t* cr, const Rect& r, double topAlpha) {
    if (r.w <= 0 || r.h <= 0) return;
    cairo_pattern_t* grad = cairo_pattern_create_linear(0, r.y, 0, r.bottom());
    cairo_pattern_add_color_stop_rgba(grad, 0, 1, 1, 1, topAlpha);
    cairo_pattern_add_color_stop_rgba(grad, 1, 1, 1, 1, 0);
    roundedRectPath(cr, r, r.h / 2);
    cairo_set_source(cr, grad);
    cairo_fill(cr);
    cairo_pattern_destroy(grad);
}

// UTF-8 characters split by the length their first byte announces.
std::vector<std::string> splitUtf8(const std::string& text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t len = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        len = std::min(len, text.size() - i);
        out.push_back(text.substr(i, len));
        i += len;
    }
    return out;
}

bool returnPressed(const Input& in) { return in.hasKey(SDLK_RETURN) || in.hasKey(SDLK_KP_ENTER); }

// Keyboard steps of a focused slider.
constexpr double kSliderKeyStep = 0.05;

}  // namespace

void focusRing(Ctx& ctx, const Rect& r, double radius) {
    const double d = ctx.s(4);
    strokeRoundedRect(ctx.cr, grown(r, d, d), radius + d, ctx.s(3), kWidgetFocus, 0.95);
}

bool focusStop(Ctx& ctx, const Rect& r, double radius) {
    const int id = ctx.focusId(r);
    if (ctx.focused(id)) focusRing(ctx, r, radius);
    if (!ctx.takeActivation(id)) return false;
    playClick();
    return true;
}

// ---- buttons and controls ------------------------------------------------------

bool menuButton(Ctx& ctx, const Rect& r, const std::string& label, bool primary) {
    cairo_t* cr = ctx.cr;
    const double radius = ctx.s(14);
    const bool hovered = ctx.hover(r);
    const bool held = hovered && ctx.in.mouseDown;
    if (primary) {
        const double a = held ? 0.7 : 1.0;
        fillRoundedRect(cr, r, radius, kWidgetPrimary, a);
        strokeRoundedRect(cr, r, radius, ctx.s(1.4), kWidgetPrimaryOutline, a);
    } else {
        fillRoundedRect(cr, r, radius, kWidgetCream, held ? 0.644 : 0.92);
        strokeRoundedRect(cr, r, radius, ctx.s(1.4), kWidgetPanelOutline, held ? 0.63 : 0.9);
    }
    if (hovered && !held) strokeRoundedRect(cr, r, radius, ctx.s(2), kWidgetPrimary, 0.55);

    TextStyle style = widgetText(std::min(0.42 * r.h, ctx.s(18)), true, primary ? kWidgetLightText : kWidgetDarkText);
    style.maxWidth = r.w - ctx.s(24);
    drawTextCentered(cr, r.cx(), r.cy(), label, style);
    const bool key = focusStop(ctx, r, radius);
    return takeClickWithSound(ctx, r) || key;
}

bool plainButton(Ctx& ctx, const Rect& r, const std::string& label, bool active) {
    cairo_t* cr = ctx.cr;
    const double radius = ctx.s(12);
    if (active) {
        fillRoundedRect(cr, r, radius, kWidgetPrimary, 1.0);
        strokeRoundedRect(cr, r, radius, ctx.s(2), kWidgetPrimary, 1.0);
    } else {
        fillRoundedRect(cr, r, radius, kWidgetCream, ctx.hover(r) ? 0.72 : 0.58);
        strokeRoundedRect(cr, r, radius, ctx.s(1.2), 0xFFFFFF, 0.45);
    }
    TextStyle style = widgetText(ctx.s(15), active, active ? kWidgetLightText : kWidgetDarkText);
    style.maxWidth = r.w - ctx.s(16);
    drawTextCentered(cr, r.cx(), r.cy(), label, style);
    const bool key = focusStop(ctx, r, radius);
    return takeClickWithSound(ctx, r) || key;
}

bool letterButton(Ctx& ctx, const Rect& r, const std::string& label, bool disabled) {
    cairo_t* cr = ctx.cr;
    const double radius = std::min(ctx.s(16), 0.45 * r.h);
    const bool hovered = ctx.hover(r) && !disabled;
    fillRoundedRect(cr, r, radius, kWidgetCream, hovered ? 0.8 : 0.6);
    strokeRoundedRect(cr, r, radius, ctx.s(1.2), 0xFFFFFF, 0.4);
    const TextStyle style =
        widgetText(std::min(ctx.s(20), 0.5 * r.h), true, disabled ? kWidgetMutedText : kWidgetDarkText);
    drawTextCentered(cr, r.cx(), r.cy(), label, style);
    if (disabled) return false;
    const bool key = focusStop(ctx, r, radius);
    return takeClickWithSound(ctx, r) || key;
}

bool arcadeStartButton(Ctx& ctx, const Rect& r, const std::string& label, const std::string& sublabel) {
    cairo_t* cr = ctx.cr;
    const double wave = std::sin(3.2 * ctx.t);
    double pulse = 1 + 0.02 * wave;
    if (ctx.hover(r) && ctx.in.mouseDown) pulse *= 0.98;
    const Rect b = scaledAbout(r, pulse);
    const double radius = ctx.s(18);

    // Glow: three rings breathing with the pulse.
    const double g = (wave + 1) / 2;
    for (int i = 3; i >= 1; --i) {
        const double d = ctx.s(4) * i * (0.6 * g + 0.7);
        strokeRoundedRect(cr, grown(b, d, d), radius + d, ctx.s(3), kWidgetPrimary,
                          (0.16 - 0.035 * i) * (0.9 * g + 0.5));
    }

    // Body with its vertical gradient.
    cairo_pattern_t* body = cairo_pattern_create_linear(0, b.y, 0, b.bottom());
    cairo_pattern_add_color_stop_rgb(body, 0.0, 1.0, 0.62, 0.8);
    cairo_pattern_add_color_stop_rgb(body, 0.5, 1.0, 0.37, 0.64);
    cairo_pattern_add_color_stop_rgb(body, 1.0, 0.91, 0.25, 0.53);
    roundedRectPath(cr, b, radius);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    strokeRoundedRect(cr, b, radius, ctx.s(2), 0xFFFFFF, 0.6);

    const double inset = 0.4 * radius;
    glossBand(cr, Rect{b.x + inset, b.y + 0.09 * b.h, b.w - 2 * inset, 0.38 * b.h}, 0.42);

    const bool hasSub = !sublabel.empty();
    TextStyle main = widgetText(std::round(std::min(ctx.s(24), (hasSub ? 0.4 : 0.52) * b.h)), true, 0x2A0A1C);
    main.maxWidth = b.w - ctx.s(28);
    drawTextCentered(cr, b.cx(), hasSub ? b.cy() - 0.13 * b.h : b.cy(), label, main);
    if (hasSub) {
        TextStyle sub = widgetText(std::round(std::min(ctx.s(14), 0.24 * b.h)), false, 0x5B1236);
        sub.maxWidth = b.w - ctx.s(28);
        drawTextCentered(cr, b.cx(), b.cy() + 0.22 * b.h, sublabel, sub);
    }
    const bool key = focusStop(ctx, b, radius);
    return takeClickWithSound(ctx, b) || key;
}

void hudPill(Ctx& ctx, const Rect& r, const std::string& label, const std::string& value, std::uint32_t base,
             std::uint32_t stroke, std::uint32_t valueColour, std::uint32_t labelColour, double leftInset) {
    cairo_t* cr = ctx.cr;
    const double radius = 0.42 * r.h;

    const std::uint32_t top = theme::lighten(base, 0.22);
    const std::uint32_t bottom = theme::darken(base, 0.18);
    cairo_pattern_t* grad = cairo_pattern_create_linear(0, r.y, 0, r.bottom());
    cairo_pattern_add_color_stop_rgba(grad, 0, ((top >> 16) & 0xFF) / 255.0, ((top >> 8) & 0xFF) / 255.0,
                                      (top & 0xFF) / 255.0, 0.92);
    cairo_pattern_add_color_stop_rgba(grad, 1, ((bottom >> 16) & 0xFF) / 255.0, ((bottom >> 8) & 0xFF) / 255.0,
                                      (bottom & 0xFF) / 255.0, 0.92);
    roundedRectPath(cr, r, radius);
    cairo_set_source(cr, grad);
    cairo_fill(cr);
    cairo_pattern_destroy(grad);

    const double inset = 0.35 * radius;
    glossBand(cr, Rect{r.x + inset, r.y + 0.1 * r.h, r.w - 2 * inset, 0.4 * r.h}, 0.3);
    strokeRoundedRect(cr, r, radius, std::max(0.045 * r.h, 1.0), stroke, 0.85);

    const Rect area{r.x + leftInset, r.y, r.w - leftInset, r.h};
    const double maxWidth = area.w - 12;
    if (label.empty()) {
        TextStyle v = widgetText(std::min(0.52 * r.h, 18.0), true, valueColour);
        v.maxWidth = maxWidth;
        drawTextCentered(cr, area.cx(), r.cy(), value, v);
        return;
    }
    TextStyle l = widgetText(std::min(0.28 * r.h, 11.0), false, labelColour);
    l.maxWidth = maxWidth;
    drawTextCentered(cr, area.cx(), r.y + 0.3 * r.h, label, l);
    TextStyle v = widgetText(std::min(0.42 * r.h, 17.0), true, valueColour);
    v.maxWidth = maxWidth;
    drawTextCentered(cr, area.cx(), r.y + 0.68 * r.h, value, v);
}

bool toggleRow(Ctx& ctx, const Rect& r, const std::string& label, bool on) {
    cairo_t* cr = ctx.cr;
    if (takeClickWithSound(ctx, r)) on = !on;
    if (focusStop(ctx, r, ctx.s(8))) on = !on;

    TextStyle text = widgetText(ctx.s(15), false, kWidgetDarkText);
    text.align = Align::Left;
    text.maxWidth = r.w - ctx.s(110);
    drawText(cr, r.x, r.cy() - ctx.s(10), label, text);

    const Rect track{r.right() - ctx.s(58), r.cy() - ctx.s(14), ctx.s(52), ctx.s(28)};
    if (on)
        fillRoundedRect(cr, track, ctx.s(14), kWidgetPrimary, 1.0);
    else
        fillRoundedRect(cr, track, ctx.s(14), kWidgetCream, 0.7);
    strokeRoundedRect(cr, track, ctx.s(14), ctx.s(1.2), 0xFFFFFF, 0.4);
    const double knobX = on ? track.right() - ctx.s(14) : track.x + ctx.s(14);
    fillCircle(cr, knobX, track.cy(), ctx.s(11), 0xFFFFFF, 1.0);
    return on;
}

double slider(Ctx& ctx, const Rect& r, double value) {
    const Rect grab = grown(r, ctx.s(12), ctx.s(10));
    // A click whose press and release fall in one frame counts as well.
    const bool held = ctx.in.mouseDown || (ctx.in.pressed && ctx.in.released);
    if (held && grab.contains(ctx.in.mouseX, ctx.in.mouseY) && r.w > 0) {
        ctx.clickUsed = true;
        value = std::clamp((ctx.in.mouseX - r.x) / r.w, 0.0, 1.0);
    }
    const int id = ctx.focusId(grab);
    if (ctx.focused(id)) {
        Input& in = ctx.in;
        const double start = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
        const int steps = in.takeKey(SDLK_RIGHT) - in.takeKey(SDLK_LEFT);
        // Whole hundredths: 0.1 + 0.05 lands on 0.15, not on a float just beside it.
        if (steps != 0) value = std::clamp(std::round((start + kSliderKeyStep * steps) * 100) / 100, 0.0, 1.0);
        if (in.takeKey(SDLK_HOME) > 0) value = 0;
        if (in.takeKey(SDLK_END) > 0) value = 1;
        focusRing(ctx, grab, ctx.s(12));
    }

    cairo_t* cr = ctx.cr;
    const double shown = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    fillRoundedRect(cr, Rect{r.x, r.cy() - ctx.s(4), r.w, ctx.s(8)}, ctx.s(4), kWidgetCream, 0.75);
    const double filled = r.w * shown;
    if (filled > 0) fillRoundedRect(cr, Rect{r.x, r.cy() - ctx.s(4), filled, ctx.s(8)}, ctx.s(4), kWidgetPrimary, 1.0);
    fillCircle(cr, r.x + filled, r.cy(), ctx.s(10), kWidgetPrimary, 1.0);
    fillCircle(cr, r.x + filled, r.cy(), ctx.s(6), 0xFFFFFF, 1.0);
    return value;
}

int confirmDialog(Ctx& ctx, const std::string& title, const std::string& message, const std::string& okLabel,
                  const std::string& cancelLabel) {
    cairo_t* cr = ctx.cr;
    fillRect(cr, Rect{0, 0, ctx.w, ctx.h}, 0x000000, 0.7);

    const double pw = std::min(ctx.w - ctx.s(64), ctx.s(420));
    const double ph = ctx.s(240);
    const Rect panel{(ctx.w - pw) / 2, (ctx.h - ph) / 2, pw, ph};
    fillRoundedRect(cr, panel, ctx.s(18), kWidgetCream, 0.96);
    strokeRoundedRect(cr, panel, ctx.s(18), ctx.s(1.4), kWidgetPanelOutline, 0.9);

    TextStyle titleStyle = widgetText(ctx.s(20), true, kWidgetPrimary);
    titleStyle.maxWidth = pw - ctx.s(48);
    drawTextCentered(cr, panel.cx(), panel.y + ctx.s(40), title, titleStyle);
    // The message wraps in the room between the title and the buttons.
    TextStyle messageStyle = widgetText(ctx.s(14), false, kWidgetDarkText);
    messageStyle.wrapWidth = pw - ctx.s(44);
    messageStyle.maxHeight = ctx.s(104);
    drawTextCentered(cr, panel.cx(), panel.y + ctx.s(112), message, messageStyle);

    const double bw = (pw - ctx.s(60)) / 2;
    const double bh = ctx.s(46);
    const Rect cancel{panel.x + ctx.s(20), panel.bottom() - ctx.s(66), bw, bh};
    const Rect ok{cancel.right() + ctx.s(20), cancel.y, bw, bh};

    fillRoundedRect(cr, cancel, ctx.s(12), kWidgetCancelFill, ctx.hover(cancel) ? 1.0 : 0.85);
    strokeRoundedRect(cr, cancel, ctx.s(12), ctx.s(1.2), kWidgetPanelOutline, 0.9);
    TextStyle cancelText = widgetText(ctx.s(15), true, kWidgetDarkText);
    cancelText.maxWidth = bw - ctx.s(16);
    drawTextCentered(cr, cancel.cx(), cancel.cy(), cancelLabel, cancelText);

    fillRoundedRect(cr, ok, ctx.s(12), kWidgetPrimary, ctx.hover(ok) ? 1.0 : 0.92);
    TextStyle okText = widgetText(ctx.s(15), true, kWidgetLightText);
    okText.maxWidth = bw - ctx.s(16);
    drawTextCentered(cr, ok.cx(), ok.cy(), okLabel, okText);

    int result = 0;
    if (ctx.in.released && !ctx.clickUsed) {
        const double mx = ctx.in.mouseX;
        const double my = ctx.in.mouseY;
        if (ok.contains(mx, my))
            result = 1;
        else if (cancel.contains(mx, my) || !panel.contains(mx, my))
            result = -1;
        if (result != 0) playClick();
    }
    if (returnPressed(ctx.in)) result = 1;
    if (ctx.in.hasKey(SDLK_ESCAPE)) result = -1;
    // Enter is the default: the ring shows it on OK once a key was used. No
    // key reaches the screen behind the dialog.
    if (ctx.focus.visible) focusRing(ctx, ok, ctx.s(12));
    ctx.in.keys.clear();
    ctx.in.keyMods.clear();

    // The dialog is modal: nothing behind it may take this frame's click.
    ctx.clickUsed = true;
    return result;
}

Rect backButtonRect(const Ctx& ctx) {
    const double m = ctx.compact() ? ctx.s(12) : ctx.s(16);
    return Rect{m, m, ctx.s(130), ctx.s(34)};
}

bool backButton(Ctx& ctx) {
    cairo_t* cr = ctx.cr;
    const Rect r = backButtonRect(ctx);
    const bool hovered = ctx.hover(r);
    const double radius = std::min(ctx.s(14), r.h / 2);
    const double fillAlpha = hovered ? (ctx.in.mouseDown ? 1.0 : 0.95) : 0.85;
    fillRoundedRect(cr, r, radius, kWidgetCream, fillAlpha);
    if (hovered)
        strokeRoundedRect(cr, r, radius, ctx.s(1.2), kWidgetPrimary, 0.9);
    else
        strokeRoundedRect(cr, r, radius, ctx.s(1.2), kWidgetPanelOutline, 0.85);

    drawChevronIcon(cr, r.x + ctx.s(14), r.cy(), std::min(ctx.s(11), 0.42 * r.h), 3, kWidgetPrimary, 1.0);

    const std::string label = i18n::tr("common.back");
    TextStyle text = widgetText(std::min(ctx.s(15), 0.44 * r.h), true, kWidgetDarkText);
    text.align = Align::Left;
    text.maxWidth = ctx.s(130) - ctx.s(30);
    double tw = 0;
    double th = 0;
    measureText(cr, label, text, &tw, &th);
    drawText(cr, r.x + ctx.s(24), r.cy() - th / 2, label, text);
    const bool key = focusStop(ctx, r, radius);
    return takeClickWithSound(ctx, r) || key;
}

void screenHeader(Ctx& ctx, const std::string& title, bool* backClicked) {
    const bool clicked = backButton(ctx);
    if (backClicked) *backClicked = clicked;
    const bool compact = ctx.compact();
    const double headerHeight = compact ? ctx.s(52) : ctx.s(60);
    const TextStyle style = widgetText(compact ? ctx.s(20) : ctx.s(24), true, kWidgetDarkText);
    drawTextCentered(ctx.cr, ctx.w / 2, headerHeight / 2, title, style);
}

void footer(Ctx& ctx, double bottom) {
    const TextStyle style = widgetText(ctx.s(12), false, kWidgetMutedText);
    drawTextCentered(ctx.cr, ctx.w / 2, bottom - ctx.s(26), kMakerNotice, style);
    char version[64];
    std::snprintf(version, sizeof version, "v%s Build %d", kVersionText, kBuildNumber);
    drawTextCentered(ctx.cr, ctx.w / 2, bottom - ctx.s(10), version, style);
}

void wavyTitle(Ctx& ctx, double cx, double cy, const std::string& text, double size,
               const std::vector<std::uint32_t>& colours) {
    cairo_t* cr = ctx.cr;
    const std::vector<std::string> chars = splitUtf8(text);
    TextStyle style = widgetText(size, true, kWidgetPrimary);
    std::vector<double> widths(chars.size(), 0.0);
    double total = 0;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        double h = 0;
        measureText(cr, chars[i], style, &widths[i], &h);
        total += widths[i];
    }

    double x = cx - total / 2;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const double slotCentre = x + widths[i] / 2;
        x += widths[i];
        if (chars[i] == " ") continue;
        const double phase = 0.45 * static_cast<double>(i);
        const double dy = 0.2 * size * std::sin(2 * kPi * ctx.t / 2.8 + phase);
        const double angle = 6 * std::sin(2 * kPi * ctx.t / 4 + phase) * kPi / 180;
        style.color = colours.empty() ? kWidgetPrimary : colours[i % colours.size()];
        cairo_save(cr);
        cairo_translate(cr, slotCentre, cy + dy);
        cairo_rotate(cr, angle);
        drawTextCentered(cr, 0, 0, chars[i], style);
        cairo_restore(cr);
    }
}

void starRating(cairo_t* cr, double cx, double cy, double size, int filled, int total, double appear) {
    if (!cr || total <= 0 || size <= 0) return;
    const double rowWidth = total * size + (total - 1) * 0.35 * size;
    const double firstCentre = cx - rowWidth / 2 + size / 2;
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, std::max(0.06 * size, 1.0));
    for (int i = 0; i < total; ++i) {
        const double a = total * appear - i;
        if (a <= 0) continue;
        const double grow = std::min(a, 1.0);
        const double radius = a >= 1 ? size / 2 : (0.7 + 0.3 * a) * size / 2;
        starPath(cr, firstCentre + i * 1.35 * size, cy, radius);
        if (i < filled) {
            setColor(cr, kWidgetStarGold, grow);
            cairo_fill_preserve(cr);
            setColor(cr, kWidgetStarHighlight, 0.9 * grow);
        } else {
            setColor(cr, kWidgetMutedText, 0.35 * grow);
        }
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

// ---- scrolling -------------------------------------------------------------------

void applyScroll(Ctx& ctx, const Rect& r, double contentHeight, double* scroll) {
    if (!scroll) return;
    ScrollDrag& drag = ctx.scrollDrag;
    const Input& in = ctx.in;
    const double maxScroll = std::max(contentHeight - r.h, 0.0);
    const bool inside = r.contains(in.mouseX, in.mouseY);

    if (inside && in.wheel != 0) *scroll -= 60 * ctx.ui * in.wheel;

    if (maxScroll > 0 && inside && in.pressed) {
        // A new touch takes over this offset and stops whatever fling was running.
        drag.active = true;
        drag.moved = 0;
        drag.velocity = 0;
        drag.target = scroll;
    }

    if (drag.active && in.mouseDown && drag.target == scroll) {
        *scroll -= in.dragDy;
        drag.moved += std::fabs(in.dragDy);
        if (ctx.dt > 0) drag.velocity = 0.7 * drag.velocity + 0.3 * (-in.dragDy / ctx.dt);
        if (drag.moved > kDragClickGuard) ctx.clickUsed = true;
    }

    if (drag.active && in.released) {
        if (drag.moved > kDragClickGuard) ctx.clickUsed = true;
        drag.active = false;
    }

    if (in.mouseDown && !drag.active && drag.target == scroll) drag.velocity = 0;

    if (!in.mouseDown && !drag.active && drag.target == scroll && std::fabs(drag.velocity) > 1) {
        *scroll += drag.velocity * ctx.dt;
        drag.velocity *= std::exp(-6 * ctx.dt);
        if (std::fabs(drag.velocity) < 20) drag.velocity = 0;
        if (*scroll <= 0 || *scroll >= maxScroll) drag.velocity = 0;
    }

    *scroll = std::clamp(*scroll, 0.0, maxScroll);
}

void scrollbar(Ctx& ctx, const Rect& r, double contentHeight, double scroll) {
    if (r.h >= contentHeight) return;
    const double track = r.h - ctx.s(8);
    const double thumb = std::max(r.h * track / contentHeight, ctx.s(30));
    const double top = r.y + ctx.s(4) + (track - thumb) * scroll / (contentHeight - r.h);
    fillRoundedRect(ctx.cr, Rect{r.right() - ctx.s(8), top, ctx.s(4), thumb}, ctx.s(2), 0xFFFFFF, 0.45);
}

// ---- icons ---------------------------------------------------------------------

void drawShuffleIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a) {
    const double h = s / 2;
    cairo_save(cr);
    setColor(cr, rgb, a);
    cairo_set_line_width(cr, std::max(0.11 * s, 1.6));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int sign : {-1, 1}) {
        const double y0 = cy + sign * 0.55 * h;
        const double y1 = cy - sign * 0.55 * h;
        cairo_new_path(cr);
        cairo_move_to(cr, cx - h, y0);
        cairo_curve_to(cr, cx - 0.2 * h * sign, y0, cx + 0.2 * h * sign, y1, cx + 0.75 * h, y1);
        cairo_stroke(cr);
    }
    for (int sign : {-1, 1}) {
        const double y = cy + sign * 0.55 * h;
        cairo_new_path(cr);
        cairo_move_to(cr, cx + 0.35 * h, y - 0.3 * h);
        cairo_line_to(cr, cx + 0.8 * h, y);
        cairo_line_to(cr, cx + 0.35 * h, y + 0.3 * h);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void drawTriangleIcon(cairo_t* cr, double cx, double cy, double s, int dir, std::uint32_t rgb, double a) {
    const double h = s / 2;
    cairo_new_path(cr);
    switch (dir) {
    case 0:
        cairo_move_to(cr, cx, cy - h);
        cairo_line_to(cr, cx + h, cy + 0.7 * h);
        cairo_line_to(cr, cx - h, cy + 0.7 * h);
        break;
    case 1:
        cairo_move_to(cr, cx + h, cy);
        cairo_line_to(cr, cx - 0.7 * h, cy + h);
        cairo_line_to(cr, cx - 0.7 * h, cy - h);
        break;
    case 2:
        cairo_move_to(cr, cx, cy + h);
        cairo_line_to(cr, cx - h, cy - 0.7 * h);
        cairo_line_to(cr, cx + h, cy - 0.7 * h);
        break;
    default:
        cairo_move_to(cr, cx - h, cy);
        cairo_line_to(cr, cx + 0.7 * h, cy - h);
        cairo_line_to(cr, cx + 0.7 * h, cy + h);
        break;
    }
    cairo_close_path(cr);
    setColor(cr, rgb, a);
    cairo_fill(cr);
}

void drawPauseIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a) {
    const double barW = 0.22 * s;
    const double barH = 0.74 * s;
    const double gap = 0.16 * s;
    const double left = cx - gap / 2 - barW;
    fillRoundedRect(cr, Rect{left, cy - barH / 2, barW, barH}, 0.35 * barW, rgb, a);
    fillRoundedRect(cr, Rect{cx + gap / 2, cy - barH / 2, barW, barH}, 0.35 * barW, rgb, a);
}

void drawChevronIcon(cairo_t* cr, double cx, double cy, double s, int dir, std::uint32_t rgb, double a) {
    const double d = 0.32 * s;
    const double k = dir == 1 ? -d / 2 : d / 2;
    cairo_save(cr);
    setColor(cr, rgb, a);
    cairo_set_line_width(cr, std::max(0.14 * s, 1.8));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_new_path(cr);
    cairo_move_to(cr, cx + k, cy - d);
    cairo_line_to(cr, cx - k, cy);
    cairo_line_to(cr, cx + k, cy + d);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawStarIcon(cairo_t* cr, double cx, double cy, double s, bool filled, std::uint32_t rgb, double a) {
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, std::max(0.12 * s, 1.0));
    cairo_new_path(cr);
    starPath(cr, cx, cy, s / 2);
    if (filled) {
        setColor(cr, rgb, a);
        cairo_fill_preserve(cr);
        setColor(cr, theme::lighten(rgb, 0.5), 0.9 * a);
    } else {
        setColor(cr, rgb, 0.45 * a);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawLockIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a) {
    const double bodyW = 0.62 * s;
    const double bodyH = 0.5 * s;
    const double bodyTop = cy - 0.25 * s + 0.14 * s;
    const Rect body{cx - bodyW / 2, bodyTop, bodyW, bodyH};
    fillRoundedRect(cr, body, 0.1 * s, rgb, a);

    cairo_save(cr);
    setColor(cr, rgb, a);
    cairo_set_line_width(cr, std::max(0.1 * s, 1.6));
    cairo_new_path(cr);
    cairo_arc(cr, cx, bodyTop - 0.02 * s, 0.32 * bodyW, kPi, 2 * kPi);
    cairo_stroke(cr);
    cairo_restore(cr);

    fillCircle(cr, body.cx(), body.cy(), 0.075 * s, kWidgetCream, a);
}

void drawClockIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a) {
    const double radius = 0.42 * s;
    const double lw = std::max(0.09 * s, 1.4);
    strokeCircle(cr, cx, cy, radius, lw, rgb, a);
    cairo_save(cr);
    setColor(cr, rgb, a);
    cairo_set_line_width(cr, lw);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx, cy - 0.55 * radius);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + 0.42 * radius, cy + 0.18 * radius);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// ---- formatting ------------------------------------------------------------------

std::string formatTime(long long ms) {
    ms = std::max(ms, 0LL);  // a clock never shows negative time
    const long long seconds = ms / 1000;
    const long long minutes = seconds % 3600 / 60;
    char buf[48];
    if (ms < 3600000)
        std::snprintf(buf, sizeof buf, "%02lld:%02lld", minutes, seconds % 60);
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", ms / 3600000, minutes, seconds % 60);
    return buf;
}

std::string formatDateTime(long long ms) {
    const std::time_t when = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    if (!localtime_r(&when, &local)) return std::string();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900,
                  local.tm_hour, local.tm_min);
    return buf;
}

}  // namespace ui
