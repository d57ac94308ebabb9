// Chess pieces drawn from vector outlines: painted with cairo, or blitted
// from cached textures of the exact device pixel size.
#pragma once

#include <cstdint>
#include <string>

#include <cairo.h>

#include "core/chess.h"

namespace ui {

// Full piece (shadow, gradient, outline, details) with its box's top-left
// corner at (x, y). Nothing for piece 0 or size <= 1.
void paintPieceCairo(cairo_t* cr, chess::Piece p, double x, double y, double size, double alpha);

// The bare outline of an upper-case kind ('K', 'Q', 'R', 'B', 'N', 'P') in one
// flat colour, centred at (cx, cy). Any other letter draws nothing.
void paintPieceGlyph(cairo_t* cr, char kind, double cx, double cy, double size, std::uint32_t color,
                     double alpha);

// Blits the cached texture of the piece with its top-left at (x, y - lift * size).
void drawPiece(chess::Piece p, double x, double y, double size, double alpha, double lift);

// Blits the same texture rotated by angleDeg (clockwise) about the box centre.
void drawPieceRotated(chess::Piece p, double x, double y, double size, double angleDeg, double alpha);

// Texture key of a piece at a device pixel size, e.g. "piece:K:62".
std::string pieceTextureKey(chess::Piece p, int px);

}  // namespace ui
