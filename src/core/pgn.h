// Standard algebraic notation and PGN text for a game played on chess::Board.
//
// Games are kept as a start position and a list of moves in coordinate form
// ("e2e4", "e7e8"; promotion is always to a queen). Everything here is worked
// out from the board's own legal move list, so the notation follows whatever
// the rules of play allow.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/chess.h"

namespace chess {

// "e2e4"; "" for a move without squares.
std::string coordinateOf(Move m);
// The squares of a coordinate move; {-1, -1} when the text is not one.
Move moveFromCoordinate(const std::string& text);

// SAN of a legal move of the side to move: "Nbd7", "exd6", "O-O", "e8=Q+", "Qh4#".
std::string sanFor(const Board& board, Move m);

// A start position and its moves, replayed up to the first move that is not
// legal there (the rest is dropped).
struct GameLine {
    Board start;
    std::vector<Move> moves;
    std::vector<std::string> san;
    Board final;
};
GameLine replayLine(const std::string& startFen, const std::vector<std::string>& moves);

// The facts of one game that go into its tags.
struct PgnFacts {
    int level = 1;
    int elo = 0;
    std::int64_t playedAtMs = 0;  // the date tag, local time
    bool playerWhite = true;
    std::string playerName = "Player";
};

// "1-0", "0-1", "1/2-1/2" for a finished position, "*" while play goes on.
std::string resultTag(Board final);
// The whole PGN text: the seven-tag roster, SetUp and FEN when the game did not
// start from the normal position, movetext in lines of at most 80 characters.
std::string pgnFor(const std::string& startFen, const std::vector<std::string>& moves, const PgnFacts& facts);

}  // namespace chess
