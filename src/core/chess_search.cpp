// The computer opponent: a shallow minimax over material, extended after
// captures and checks, with a positional bonus and a random spread at the root.
#include <algorithm>
#include <cmath>

#include "core/chess.h"
#include "core/chess_position.h"

namespace chess {
namespace {

using internal::MoveList;
using internal::Position;

struct ScoreRes {
    double score;
    bool max;  // the position was a finished game: the parent stops looking
};

// Plies below the root that are always searched, and the limit for
// extensions after a capture or when in check; indexed by search level.
constexpr int kDepthBase[] = {1, 2, 2, 3, 3, 4};
constexpr int kDepthExtended[] = {2, 2, 4, 4, 5, 5};
constexpr int kMaxLevel = 5;

// The search tolerates unfiltered moves when more pieces than this can move.
constexpr int kSkipLegalityAbove = 5;

using SquareTable = double[8][8];

constexpr SquareTable kPawn = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {5, 5, 5, 5, 5, 5, 5, 5},
    {1, 1, 2, 3, 3, 2, 1, 1},
    {0.5, 0.5, 1, 2.5, 2.5, 1, 0.5, 0.5},
    {0, 0, 0, 2, 2, 0, 0, 0},
    {0.5, 0, 1, 0, 0, 1, 0, 0.5},
    {0.5, 0, 0, -2, -2, 0, 0, 0.5},
    {0, 0, 0, 0, 0, 0, 0, 0},
};
constexpr SquareTable kKnight = {
    {-4, -3, -2, -2, -2, -2, -3, -4},
    {-3, -2, 0, 0, 0, 0, -2, -3},
    {-2, 0, 1, 1.5, 1.5, 1, 0, -2},
    {-2, 0.5, 1.5, 2, 2, 1.5, 0.5, -2},
    {-2, 0, 1.5, 2, 2, 1.5, 0, -2},
    {-2, 0.5, 1, 1.5, 1.5, 1, 0.5, -2},
    {-3, -2, 0, 0.5, 0.5, 0, -2, -3},
    {-4, -3, -2, -2, -2, -2, -3, -4},
};
constexpr SquareTable kBishop = {
    {-2, -1, -1, -1, -1, -1, -1, -2},
    {-1, 0, 0, 0, 0, 0, 0, -1},
    {-1, 0, 0.5, 1, 1, 0.5, 0, -1},
    {-1, 0.5, 0.5, 1, 1, 0.5, 0.5, -1},
    {-1, 0, 1, 1, 1, 1, 0, -1},
    {-1, 1, 1, 1, 1, 1, 1, -1},
    {-1, 0.5, 0, 0, 0, 0, 0.5, -1},
    {-2, -1, -1, -1, -1, -1, -1, -2},
};
constexpr SquareTable kRook = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {0.5, 1, 1, 1, 1, 1, 1, 0.5},
    {-0.5, 0, 0, 0, 0, 0, 0, -0.5},
    {-0.5, 0, 0, 0, 0, 0, 0, -0.5},
    {-0.5, 0, 0, 0, 0, 0, 0, -0.5},
    {-0.5, 0, 0, 0, 0, 0, 0, -0.5},
    {-0.5, 0, 0, 0, 0, 0, 0, -0.5},
    {0, 0, 0, 0.5, 0.5, 0, 0, 0},
};
constexpr SquareTable kQueen = {
    {-2, -1, -1, -0.5, -0.5, -1, -1, -2},
    {-1, 0, 0, 0, 0, 0, 0, -1},
    {-1, 0, 0.5, 0.5, 0.5, 0.5, 0, -1},
    {-0.5, 0, 0.5, 0.5, 0.5, 0.5, 0, -0.5},
    {0, 0, 0.5, 0.5, 0.5, 0.5, 0, -0.5},
    {-1, 0.5, 0.5, 0.5, 0.5, 0.5, 0, -1},
    {-1, 0, 0.5, 0, 0, 0, 0, -1},
    {-2, -1, -1, -0.5, -0.5, -1, -1, -2},
};
constexpr SquareTable kKing = {
    {-3, -4, -4, -5, -5, -4, -4, -3},
    {-3, -4, -4, -5, -5, -4, -4, -3},
    {-3, -4, -4, -5, -5, -4, -4, -3},
    {-3, -4, -4, -5, -5, -4, -4, -3},
    {-2, -3, -3, -4, -4, -3, -3, -2},
    {-1, -2, -2, -2, -2, -2, -2, -1},
    {2, 2, 0, 0, 0, 0, 2, 2},
    {2, 3, 1, 0, 0, 1, 3, 2},
};

// Row 0 is the rank farthest from the piece's own side; files are never mirrored.
double positionScore(Piece p, Sq s) {
    const int file = s & 7;
    const int rank = s >> 3;
    const int row = isWhite(p) ? 7 - rank : rank;
    switch (kindOf(p)) {
        case 'P': return kPawn[row][file];
        case 'N': return kKnight[row][file];
        case 'B': return kBishop[row][file];
        case 'R': return kRook[row][file];
        case 'Q': return kQueen[row][file];
        case 'K': return kKing[row][file];
        default: return 0.0;
    }
}

double calculateScore(const Board& b, Color player) {
    if (b.checkMate) return b.turn == player ? -1000.0 : 1000.0;
    // Stalemating the opponent is scored as a loss by the side that does it.
    if (b.isFinished) return b.turn == player ? 1000.0 : -1000.0;
    const int white = Position(b).material();
    return player == Color::White ? white : -white;
}

// The material balance of a searched position, which is never a finished game.
double materialFor(const Position& p, Color player) {
    return player == Color::White ? p.material() : -p.material();
}

double calculateScoreByPiecesLocation(const Position& p, Color player) {
    double sum = 0.0;
    for (Sq s = 0; s < 64; ++s) {
        const Piece piece = p.at(s);
        if (piece == 0) continue;
        const double value = 0.5 * positionScore(piece, s);
        sum += colorOf(piece) == player ? value : -value;
    }
    return sum;
}

// The side to move has no legal move: mated when in check, else stalemated.
ScoreRes finishedScore(const Position& p, Color ppc, int depth) {
    const bool ppcToMove = p.turn() == ppc;
    const double score = p.inCheck() ? (ppcToMove ? -1000.0 : 1000.0) : (ppcToMove ? 1000.0 : -1000.0);
    // A mate found sooner is worth more; a mate suffered later is less bad.
    return {ppcToMove ? score + depth : score - depth, true};
}

ScoreRes testMoveScores(const Position& b, Color ppc, int level, bool capture, double initialScore, int depth) {
    const bool inCheck = depth < kDepthExtended[level] && b.inCheck();
    if (!inCheck && !(depth < kDepthBase[level] || (capture && depth < kDepthExtended[level]))) {
        return {initialScore, false};
    }

    MoveList next;
    const int movable = b.generate(next);
    // In check or with few movable pieces the list is filtered here; otherwise
    // moves that leave the mover's king attacked are skipped one by one below.
    const bool filtered = inCheck || movable <= kSkipLegalityAbove;
    Position::KingSafety safety{};
    if (filtered) {
        b.keepLegal(next);
        if (next.size == 0) return finishedScore(b, ppc, depth);
    } else {
        safety = b.kingSafety();
    }

    const bool maximising = b.turn() == ppc;
    // Positions this deep are never expanded: their value is known without playing the move.
    const bool childIsLeaf = depth + 1 >= kDepthExtended[level];
    double best = maximising ? -1000.0 : 1000.0;
    for (int i = 0; i < next.size; ++i) {
        const Sq from = next.moves[i].from;
        const Sq to = next.moves[i].to;
        if (!filtered && b.exposesKing(from, to, safety)) continue;
        const bool wasCapture = b.at(to) != 0;
        ScoreRes r;
        if (childIsLeaf) {
            const int white = wasCapture ? b.materialAfter(from, to) : 0;
            r = {wasCapture ? (ppc == Color::White ? white : -white) : initialScore, false};
        } else {
            Position tb = b;
            tb.play(from, to);
            const double s = wasCapture ? materialFor(tb, ppc) : initialScore;
            r = testMoveScores(tb, ppc, level, wasCapture, s, depth + 1);
        }
        best = maximising ? std::max(r.score, best) : std::min(r.score, best);
        if (r.max) return {best, false};
    }
    return {best, false};
}

}  // namespace

std::vector<ScoredMove> calculateAiMoves(const Board& board, int level, const RandomSource& rnd) {
    Board b = board;
    level = std::clamp(level, -1, kMaxLevel);  // keeps the bump below from overflowing
    if (b.materialSum() < 50) ++level;         // endgames are searched one level deeper
    level = std::clamp(level, 0, kMaxLevel);

    const Color ppc = b.turn;
    const double initialScore = calculateScore(b, ppc);
    const Position root(b);
    MoveList moves;
    root.generate(moves);
    root.keepLegal(moves);
    // The random spread widens by one for every half-move past 11 without a
    // capture or pawn move, so a stuck opponent tries something new.
    const int spread = std::max(b.halfMove, 11) - 10;

    std::vector<ScoredMove> scored;
    scored.reserve(static_cast<std::size_t>(moves.size));
    for (int i = 0; i < moves.size; ++i) {
        const Sq from = moves.moves[i].from;
        const Sq to = moves.moves[i].to;
        Position tb = root;
        const bool wasCapture = tb.at(to) != 0;
        tb.play(from, to);
        const double s = wasCapture ? materialFor(tb, ppc) : initialScore;
        const double r = testMoveScores(tb, ppc, level, wasCapture, s, 1).score;
        const double pos = calculateScoreByPiecesLocation(tb, ppc);
        const double noise = std::floor(rnd() * spread * 10) / 10;
        scored.push_back({{from, to}, r + pos + noise});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const ScoredMove& a, const ScoredMove& b) { return a.score > b.score; });
    return scored;
}

Move aiMove(const Board& board, int level, const RandomSource& rnd) {
    const std::vector<ScoredMove> scored = calculateAiMoves(board, level, rnd);
    return scored.empty() ? Move{} : scored.front().move;
}

bool suggest(const Board& board, int level, const RandomSource& rnd, Move* out) {
    const Board fresh = Board::fromFen(board.fen());
    const Move move = aiMove(fresh, level, rnd);
    if (move.from == -1) return false;
    if (out) *out = move;
    return true;
}

}  // namespace chess
