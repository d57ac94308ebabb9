// Immediate-mode widgets: each call draws its control on the frame overlay
// and reports in the same call whether the player acted on it this frame.
// Lengths are reference units multiplied by ctx.ui.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/app.h"

namespace ui {

// The widget palette. Text colours keep at least 4.5:1 against every fill and
// page they are drawn on (the muted one included, over the backdrop's tiles).
inline constexpr std::uint32_t kWidgetPrimary = 0x8A4B1C;
inline constexpr std::uint32_t kWidgetPrimaryOutline = 0x6E3A14;
inline constexpr std::uint32_t kWidgetCream = 0xFAF4E6;
inline constexpr std::uint32_t kWidgetPanelOutline = 0xCDB88A;
inline constexpr std::uint32_t kWidgetCancelFill = 0xECE2CC;
inline constexpr std::uint32_t kWidgetDarkText = 0x3A2810;
inline constexpr std::uint32_t kWidgetLightText = 0xFDF6E8;
inline constexpr std::uint32_t kWidgetMutedText = 0x6B5538;
inline constexpr std::uint32_t kWidgetStarGold = 0xD9A520;
inline constexpr std::uint32_t kWidgetStarHighlight = 0xFFF2B0;
inline constexpr std::uint32_t kWidgetFocus = 0x1E6FD9;  // the keyboard focus ring

// Buttons and controls. Those returning bool report a click of this frame.
bool menuButton(Ctx& ctx, const Rect& r, const std::string& label, bool primary);
bool plainButton(Ctx& ctx, const Rect& r, const std::string& label, bool active);
bool letterButton(Ctx& ctx, const Rect& r, const std::string& label, bool disabled);
bool arcadeStartButton(Ctx& ctx, const Rect& r, const std::string& label, const std::string& sublabel);
// A status pill; leftInset keeps room at the left for an icon the caller draws.
void hudPill(Ctx& ctx, const Rect& r, const std::string& label, const std::string& value, std::uint32_t base,
             std::uint32_t stroke, std::uint32_t valueColour, std::uint32_t labelColour, double leftInset);
// Returns the new state: flipped in the frame of a click.
bool toggleRow(Ctx& ctx, const Rect& r, const std::string& label, bool on);
// Returns the new value in 0..1 while the button is held over the slider.
double slider(Ctx& ctx, const Rect& r, double value);
// A modal dialog: 1 confirmed, -1 cancelled, 0 undecided this frame.
int confirmDialog(Ctx& ctx, const std::string& title, const std::string& message, const std::string& okLabel,
                  const std::string& cancelLabel);
// The keyboard focus ring around r, whose corners have the given radius.
void focusRing(Ctx& ctx, const Rect& r, double radius);
// A focus stop for a control the caller draws itself: takes an id, draws the
// ring when focused and reports Enter or Space on it (with the click sound).
bool focusStop(Ctx& ctx, const Rect& r, double radius);
Rect backButtonRect(const Ctx& ctx);
bool backButton(Ctx& ctx);
// The back button and a centred title; the button's result goes to backClicked when given.
void screenHeader(Ctx& ctx, const std::string& title, bool* backClicked);
void footer(Ctx& ctx, double bottom);
void wavyTitle(Ctx& ctx, double cx, double cy, const std::string& text, double size,
               const std::vector<std::uint32_t>& colours);
// A row of total stars of which the first filled are gold; appear 0..1 pops them in one by one.
void starRating(cairo_t* cr, double cx, double cy, double size, int filled, int total, double appear);

// Scrolling with the wheel, drag and fling for an area r showing contentHeight of content.
void applyScroll(Ctx& ctx, const Rect& r, double contentHeight, double* scroll);
void scrollbar(Ctx& ctx, const Rect& r, double contentHeight, double scroll);

// Icons centred on (cx, cy) with size s.
void drawShuffleIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a);
// dir: 0 up, 1 right, 2 down, anything else left.
void drawTriangleIcon(cairo_t* cr, double cx, double cy, double s, int dir, std::uint32_t rgb, double a);
void drawPauseIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a);
// dir 1 points right, anything else left.
void drawChevronIcon(cairo_t* cr, double cx, double cy, double s, int dir, std::uint32_t rgb, double a);
void drawStarIcon(cairo_t* cr, double cx, double cy, double s, bool filled, std::uint32_t rgb, double a);
void drawLockIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a);
void drawClockIcon(cairo_t* cr, double cx, double cy, double s, std::uint32_t rgb, double a);

// "mm:ss" below an hour, "h:mm:ss" from one hour up.
std::string formatTime(long long ms);
// Local time as "dd.mm.yyyy hh:mm".
std::string formatDateTime(long long ms);

}  // namespace ui
