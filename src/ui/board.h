// The chessboard on screen: layout, square mapping, the framed board with all
// its highlights and pieces, and the small static boards of the cards.
#pragma once

#include <string>
#include <vector>

#include <cairo.h>

#include "core/chess.h"
#include "theme.h"
#include "ui/app.h"

namespace ui {

// Where a board sits on screen.
struct BoardView {
    Rect rect;           // the 8 x 8 playing area, without the frame
    double cell = 0;     // side of one square
    double frame = 0;    // width of the frame around the playing area
    bool flipped = false;  // true shows rank 8 at the bottom and file h at the left
};

// A piece sliding between two squares; the board already holds it on `to`.
struct MoveAnim {
    chess::Sq from = -1;
    chess::Sq to = -1;
    chess::Piece piece = 0;
    double t = 0;            // 0 at the start, 1 at the end
    double duration = 0.18;  // seconds

    bool active() const { return from != -1 && t < 1.0; }
};

// Everything drawBoard shows besides the geometry.
struct BoardState {
    const chess::Board* board = nullptr;  // nothing is drawn when null
    const theme::BoardTheme* look = nullptr;  // nothing is drawn when null
    chess::Sq selected = -1;
    chess::Sq lastFrom = -1;
    chess::Sq lastTo = -1;
    chess::Sq hintFrom = -1;
    chess::Sq hintTo = -1;
    std::vector<int> legalTargets;
    std::vector<int> threats;
    bool showLegalMoves = true;
    bool check = false;
    chess::Sq kingInCheck = -1;
    const MoveAnim* anim = nullptr;
    bool still = false;  // a still picture: no highlights and no idle bob
    // A piece picked up by a drag: its square shows empty and the piece is
    // drawn last, centred on (liftX, liftY).
    chess::Sq lifted = -1;
    double liftX = 0, liftY = 0;
    chess::Sq cursor = -1;  // the keyboard's square cursor, framed; -1 none
};

BoardView layoutBoard(const Ctx& ctx, const Rect& avail, bool flipped);
// All four numbers are 0 for a square outside 0..63.
Rect squareRect(const BoardView& view, chess::Sq s);
// The square under the point, or -1.
chess::Sq squareAt(const BoardView& view, double x, double y);
void drawBoard(Ctx& ctx, const BoardView& view, const BoardState& state);
// Squares and pieces only, painted straight into cr.
void paintMiniBoard(cairo_t* cr, const Rect& r, const chess::Board& board, const theme::BoardTheme& look,
                    bool flipped);

// Texture keys of the cached board pictures and marker masks.
std::string boardTextureKey(const theme::BoardTheme& look, int px, bool flipped);
// The ring mask's number for a ring of radius r and width w: 0..49.
int ringMaskNumber(double r, double w);

}  // namespace ui
