// Standard algebraic notation and PGN text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/chess.h"
#include "core/levels.h"
#include "core/pgn.h"

using chess::Board;

namespace {

constexpr std::int64_t kNoonDec7 = 1796644800000;  // 2026-12-07 12:00 UTC

TEST(Pgn, SanOfEachKindOfMove) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"plain pawn push", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2e4", "e4"},
        {"knights told apart by file", "4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "b1d2", "Nbd2"},
        {"the file first when it is enough", "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1d2", "Nbd2"},
        {"rooks told apart by rank", "4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3"},
        {"queens need file and rank", "6k1/8/8/8/8/Q7/8/Q1Q4K w - - 0 1", "a1b2", "Qa1b2"},
        {"a piece capture", "4k3/8/8/4p3/8/5N2/8/4K3 w - - 0 1", "f3e5", "Nxe5"},
        {"castling king side", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "O-O"},
        {"castling queen side", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "O-O-O"},
        {"en passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5d6", "exd6"},
        {"promotion with check", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8", "b8=Q+"},
        {"capturing promotion", "r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8", "bxa8=Q+"},
        {"mate", "rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq g3 0 2", "d8h4", "Qh4#"},
    };
    for (const auto& [name, fen, move, san] : cases) {
        EXPECT_EQ(san, chess::sanFor(Board::fromFen(fen), chess::moveFromCoordinate(move))) << name;
    }
}

TEST(Pgn, MalformedCoordinateMovesReadAsNoMove) {
    for (const char* bad : {"", "e2e", "e2e9", "i2e4", "e2e4q"}) {
        EXPECT_EQ(chess::Move{}, chess::moveFromCoordinate(bad)) << bad;
    }
}

TEST(Pgn, FullTextOfAGameFromTheNormalStart) {
    chess::PgnFacts facts;
    facts.level = 12;
    facts.elo = 700;
    facts.playedAtMs = kNoonDec7;
    facts.playerWhite = false;
    EXPECT_EQ(
        "[Event \"Orlavan's Chess \u2014 Level 12\"]\n"
        "[Site \"?\"]\n"
        "[Date \"2026.12.07\"]\n"
        "[Round \"12\"]\n"
        "[White \"Computer (\u2248 700 ELO)\"]\n"
        "[Black \"Player\"]\n"
        "[Result \"0-1\"]\n\n"
        "1. f3 e5 2. g4 Qh4# 0-1\n",
        chess::pgnFor("", {"f2f3", "e7e5", "g2g4", "d8h4"}, facts));
}

TEST(Pgn, OtherStartsCarryTheirFenAndBlackMayMoveFirst) {
    const std::string handicap = levels::configFor(1).startingFen;
    chess::PgnFacts facts;
    facts.playedAtMs = kNoonDec7;
    facts.playerName = "Spieler";
    const std::string text = chess::pgnFor(handicap, {"e2e4", "e7e5"}, facts);
    EXPECT_NE(std::string::npos, text.find("[White \"Spieler\"]\n[Black \"Computer (\u2248 0 ELO)\"]\n"
                                           "[Result \"*\"]\n[SetUp \"1\"]\n[FEN \"" +
                                           Board::fromFen(handicap).fen() + "\"]\n\n1. e4 e5 *\n"));

    const std::string blackFirst = "4k3/8/8/8/8/8/4P3/4K3 b - - 0 7";
    EXPECT_NE(std::string::npos, chess::pgnFor(blackFirst, {"e8d7", "e2e4"}, facts).find("\n\n7... Kd7 8. e4 *\n"));

    // An old won game kept only its final position: that position, no moves, its result.
    const std::string mated = "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3";
    EXPECT_NE(std::string::npos, chess::pgnFor(mated, {}, facts).find("[FEN \"" + mated + "\"]\n\n0-1\n"));
    // A move that is not legal ends the game there.
    EXPECT_NE(std::string::npos, chess::pgnFor("", {"e2e4", "e2e4", "d7d5"}, facts).find("\n\n1. e4 *\n"));
}

// Along long scrambled games every legal move of every position gets a SAN of
// its own, and the movetext carries the game's SAN in lines filled up to 80
// characters.
TEST(Pgn, EveryLegalMoveHasItsOwnSanAndTheMovetextIsWrappedAt80) {
    for (const std::string& start : {std::string(), levels::configFor(20).startingFen}) {
        Board board = start.empty() ? Board::startPosition() : Board::fromFen(start);
        std::vector<std::string> moves, sans;
        std::mt19937 rng(12345);
        for (int i = 0; i < 120; ++i) {
            const std::vector<chess::Move> legal = board.getMoves().flat();
            if (legal.empty()) break;
            std::set<std::string> seen;
            for (const chess::Move& m : legal) EXPECT_TRUE(seen.insert(chess::sanFor(board, m)).second) << board.fen();
            const chess::Move m = legal[rng() % legal.size()];
            moves.push_back(chess::coordinateOf(m));
            sans.push_back(chess::sanFor(board, m));
            board.makeMove(m.from, m.to);
        }
        const chess::GameLine line = chess::replayLine(start, moves);
        EXPECT_EQ(line.san, sans);
        EXPECT_EQ(line.final.fen(), board.fen());

        const std::string text = chess::pgnFor(start, moves, chess::PgnFacts{});
        std::istringstream movetext(text.substr(text.find("\n\n") + 2));
        std::vector<std::string> rows, tokens;
        for (std::string row; std::getline(movetext, row);) rows.push_back(row);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_LE(rows[i].size(), 80u);
            if (i + 1 < rows.size()) {
                EXPECT_GT(rows[i].size() + 1 + std::min(rows[i + 1].find(' '), rows[i + 1].size()), 80u) << rows[i];
            }
            std::istringstream words(rows[i]);
            for (std::string w; words >> w;) {
                if (!std::isdigit(static_cast<unsigned char>(w[0])) && w != "*") tokens.push_back(w);
            }
        }
        EXPECT_EQ(tokens, sans);
    }
}

}  // namespace
