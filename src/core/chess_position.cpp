#include "core/chess_position.h"

#include <cstring>

namespace chess::internal {
namespace {

constexpr int fileOf(Sq s) { return s & 7; }
constexpr int rankOf(Sq s) { return s >> 3; }
constexpr Color other(Color c) { return c == Color::White ? Color::Black : Color::White; }
constexpr int index(Color c) { return static_cast<int>(c); }
constexpr std::uint64_t bit(Sq s) { return std::uint64_t{1} << s; }

// ---- square stepping --------------------------------------------------------
// Each returns the neighbouring square in one direction, or -1 off the board.

constexpr Sq up(Sq s) { return s < 0 || s > 55 ? -1 : s + 8; }
constexpr Sq down(Sq s) { return s < 8 ? -1 : s - 8; }
constexpr Sq left(Sq s) { return s < 0 || fileOf(s) == 0 ? -1 : s - 1; }
constexpr Sq right(Sq s) { return s < 0 || fileOf(s) == 7 ? -1 : s + 1; }
constexpr Sq upLeft(Sq s) { return s < 0 || s > 55 || fileOf(s) == 0 ? -1 : s + 7; }
constexpr Sq upRight(Sq s) { return s < 0 || s > 55 || fileOf(s) == 7 ? -1 : s + 9; }
constexpr Sq downLeft(Sq s) { return s < 8 || fileOf(s) == 0 ? -1 : s - 9; }
constexpr Sq downRight(Sq s) { return s < 8 || fileOf(s) == 7 ? -1 : s - 7; }
constexpr Sq upLeftUp(Sq s) { return s < 0 || s > 48 || fileOf(s) == 0 ? -1 : s + 15; }
constexpr Sq upLeftLeft(Sq s) { return s < 0 || s > 55 || fileOf(s) < 2 ? -1 : s + 6; }
constexpr Sq upRightUp(Sq s) { return s < 0 || s > 46 || fileOf(s) == 7 ? -1 : s + 17; }
constexpr Sq upRightRight(Sq s) { return s < 0 || s > 55 || fileOf(s) > 5 ? -1 : s + 10; }
constexpr Sq downLeftDown(Sq s) { return s < 17 || fileOf(s) == 0 ? -1 : s - 17; }
constexpr Sq downLeftLeft(Sq s) { return s < 8 || fileOf(s) < 2 ? -1 : s - 10; }
constexpr Sq downRightDown(Sq s) { return s < 15 || fileOf(s) == 7 ? -1 : s - 15; }
constexpr Sq downRightRight(Sq s) { return s < 8 || fileOf(s) > 5 ? -1 : s - 6; }

using Step = Sq (*)(Sq);

// The order of these tables fixes the order of generated moves: a rook takes
// the first four queen directions, a bishop the last four.
constexpr Step kQueenDirs[] = {up, down, right, left, upLeft, upRight, downLeft, downRight};
constexpr Step kKnightDirs[] = {upRightUp,    upRightRight,   upLeftUp,       upLeftLeft,
                                downLeftLeft, downLeftDown,   downRightRight, downRightDown};

// Step functions evaluated once for every square, so the generator reads a table.
template <std::size_t N>
struct StepTable {
    std::array<std::array<std::int8_t, N>, 64> next{};
};

template <std::size_t N>
constexpr StepTable<N> makeStepTable(const Step (&dirs)[N]) {
    StepTable<N> table;
    for (int s = 0; s < 64; ++s) {
        for (std::size_t d = 0; d < N; ++d) table.next[s][d] = static_cast<std::int8_t>(dirs[d](s));
    }
    return table;
}

constexpr StepTable<8> kQueenSteps = makeStepTable(kQueenDirs);
constexpr StepTable<8> kKnightSteps = makeStepTable(kKnightDirs);

// 10 x pieceValue, positive for White, for every character a square can hold.
constexpr std::array<int, 256> makeSignedValues() {
    std::array<int, 256> values{};
    for (int c = 1; c < 256; ++c) {
        const Piece p = static_cast<Piece>(c);
        values[static_cast<unsigned char>(p)] = (isWhite(p) ? 10 : -10) * pieceValue(p);
    }
    return values;
}
constexpr std::array<int, 256> kSignedValue = makeSignedValues();

// Index into Position::kinds_, -1 for characters that are no chess piece.
constexpr int kindIndex(Piece p) {
    switch (kindOf(p)) {
        case 'P': return 0;
        case 'N': return 1;
        case 'B': return 2;
        case 'R': return 3;
        case 'Q': return 4;
        case 'K': return 5;
        default: return -1;
    }
}
enum Kind { kPawnKind, kKnightKind, kBishopKind, kRookKind, kQueenKind, kKingKind };

// Attack sets read from the step tables: who attacks a square from where.
struct AttackTables {
    std::array<std::uint64_t, 64> knight{};
    std::array<std::uint64_t, 64> king{};
    std::array<std::array<std::uint64_t, 64>, 2> pawnAttackers{};  // by the pawn's colour
    std::array<std::uint64_t, 64> straight{};                      // same rank or file
    std::array<std::uint64_t, 64> diagonal{};
    std::array<std::array<std::uint64_t, 64>, 64> between{};  // squares strictly between, along a line
    std::array<std::array<std::uint64_t, 64>, 8> ray{};       // by queen direction, the squares beyond
};

// Queen directions that step to higher square numbers: their rays are walked
// from the lowest bit, the others from the highest, so nearer squares come first.
constexpr bool kAscending[8] = {true, false, true, false, true, true, false, false};

constexpr AttackTables makeAttackTables() {
    AttackTables t;
    for (int s = 0; s < 64; ++s) {
        for (int d = 0; d < 8; ++d) {
            const Sq k = kKnightSteps.next[s][d];
            if (k != -1) t.knight[s] |= bit(k);
            const Sq n = kQueenSteps.next[s][d];
            if (n != -1) t.king[s] |= bit(n);
            std::uint64_t passed = 0;
            for (Sq r = n; r != -1; r = kQueenSteps.next[r][d]) {
                (d < 4 ? t.straight[s] : t.diagonal[s]) |= bit(r);
                t.ray[d][s] |= bit(r);
                t.between[s][r] = passed;
                passed |= bit(r);
            }
        }
        // A black pawn attacks downwards, so it stands up-left or up-right of its target.
        if (upLeft(s) != -1) t.pawnAttackers[1][s] |= bit(upLeft(s));
        if (upRight(s) != -1) t.pawnAttackers[1][s] |= bit(upRight(s));
        if (downLeft(s) != -1) t.pawnAttackers[0][s] |= bit(downLeft(s));
        if (downRight(s) != -1) t.pawnAttackers[0][s] |= bit(downRight(s));
    }
    return t;
}
const AttackTables kAttacks = makeAttackTables();

constexpr Piece kingOf(Color c) { return c == Color::White ? 'K' : 'k'; }

// What a square's character adds to the running totals, for every character.
constexpr std::array<Traits, 256> makeTraits() {
    std::array<Traits, 256> traits{};
    for (int c = 1; c < 256; ++c) {
        const Piece p = static_cast<Piece>(c);
        const Color color = colorOf(p);
        traits[static_cast<unsigned char>(p)] = {static_cast<std::int8_t>(index(color)),
                                                 static_cast<std::int8_t>(kindIndex(p)), p == kingOf(color),
                                                 kSignedValue[static_cast<unsigned char>(p)]};
    }
    return traits;
}
constexpr std::array<Traits, 256> kTraits = makeTraits();

// Slides along queen directions first..last-1, stopping at the first piece
// and taking it when it is not the mover's own.
void slideMoves(Sq from, int first, int last, std::uint64_t own, std::uint64_t occupied, MoveList& out) {
    for (int d = first; d < last; ++d) {
        std::uint64_t ray = kAttacks.ray[d][from];
        const std::uint64_t blockers = ray & occupied;
        if (blockers != 0) {
            const Sq stop = kAscending[d] ? __builtin_ctzll(blockers) : 63 - __builtin_clzll(blockers);
            ray &= ~kAttacks.ray[d][stop];
        }
        ray &= ~own;
        if (kAscending[d]) {
            for (; ray != 0; ray &= ray - 1) out.push(from, __builtin_ctzll(ray));
        } else {
            while (ray != 0) {
                const Sq s = 63 - __builtin_clzll(ray);
                out.push(from, s);
                ray ^= bit(s);
            }
        }
    }
}

template <std::size_t N>
void stepMoves(Sq from, std::uint64_t own, MoveList& out, const StepTable<N>& steps) {
    for (std::size_t d = 0; d < N; ++d) {
        const Sq s = steps.next[from][d];
        if (s != -1 && (own & bit(s)) == 0) out.push(from, s);
    }
}

void whitePawnMoves(const std::array<Piece, 64>& sq, Sq enPassant, Sq s, MoveList& out) {
    if (s > 55) return;
    if (sq[s + 8] == 0) {
        out.push(s, s + 8);
        if (s >= 8 && s <= 15 && sq[s + 16] == 0) out.push(s, s + 16);
    }
    auto capturable = [&](Sq t) { return (sq[t] != 0 && !isWhite(sq[t])) || t == enPassant; };
    if (fileOf(s) != 0 && capturable(s + 7)) out.push(s, s + 7);
    if (fileOf(s) != 7 && capturable(s + 9)) out.push(s, s + 9);
}

void blackPawnMoves(const std::array<Piece, 64>& sq, Sq enPassant, Sq s, MoveList& out) {
    if (s < 8) return;
    if (sq[s - 8] == 0) {
        out.push(s, s - 8);
        if (s >= 48 && s <= 55 && sq[s - 16] == 0) out.push(s, s - 16);
    }
    auto capturable = [&](Sq t) { return isWhite(sq[t]) || t == enPassant; };
    if (fileOf(s) != 7 && capturable(s - 7)) out.push(s, s - 7);
    if (fileOf(s) != 0 && capturable(s - 9)) out.push(s, s - 9);
}

struct Castle {
    int right;  // 0 white long, 1 white short, 2 black long, 3 black short
    Piece rook;
    Sq rookFrom;
    Sq mustBeEmpty[3];
    int emptyCount;
    Sq mustNotBeAttacked[3];  // where the king stands, crosses and lands
    Sq destination;
};

// Queen side before king side, per colour.
constexpr Castle kWhiteCastles[] = {
    {0, 'R', 0, {1, 2, 3}, 3, {4, 3, 2}, 2},
    {1, 'R', 7, {5, 6, -1}, 2, {4, 5, 6}, 6},
};
constexpr Castle kBlackCastles[] = {
    {2, 'r', 56, {57, 58, 59}, 3, {60, 59, 58}, 58},
    {3, 'r', 63, {61, 62, -1}, 2, {60, 61, 62}, 62},
};

// The rook's part of a castle, when the king move is one.
bool castleRookMove(Piece moving, Sq from, Sq to, Sq& rookFrom, Sq& rookTo) {
    if (moving != 'K' && moving != 'k') return false;
    if (from == 4 && to == 2) { rookFrom = 0; rookTo = 3; return true; }
    if (from == 60 && to == 58) { rookFrom = 56; rookTo = 59; return true; }
    if (from == 4 && to == 6) { rookFrom = 7; rookTo = 5; return true; }
    if (from == 60 && to == 62) { rookFrom = 63; rookTo = 61; return true; }
    return false;
}

}  // namespace

Position::Position(const Board& b)
    : turn_(b.turn),
      enPassant_(b.enPassant),
      whiteShort_(b.whiteShort),
      whiteLong_(b.whiteLong),
      blackShort_(b.blackShort),
      blackLong_(b.blackLong) {
    for (Sq s = 0; s < 64; ++s) {
        if (b.sq[s] != 0) put(s, b.sq[s]);
    }
}

void Position::copyTo(Board& b) const {
    b.sq = sq_;
    b.turn = turn_;
    b.enPassant = enPassant_;
    b.whiteShort = whiteShort_;
    b.whiteLong = whiteLong_;
    b.blackShort = blackShort_;
    b.blackLong = blackLong_;
}

// Every write to a square goes through here, so the running totals stay true.
void Position::put(Sq s, Piece p) {
    const Piece old = sq_[s];
    sq_[s] = p;
    if (old != 0) remove(s, kTraits[static_cast<unsigned char>(old)]);
    if (p != 0) add(s, kTraits[static_cast<unsigned char>(p)]);
}

void Position::remove(Sq s, const Traits& t) {
    occupied_[t.color] &= ~bit(s);
    if (t.kind >= 0) kinds_[t.color][t.kind] &= ~bit(s);
    material_ -= t.value;
    if (t.king) {
        --kingCount_[t.color];
        king_[t.color] = -1;
        if (kingCount_[t.color] == 1) {  // more kings than one came from FEN: find the survivor
            const void* found = std::memchr(sq_.data(), kingOf(Color(t.color)), sq_.size());
            king_[t.color] = static_cast<Sq>(static_cast<const Piece*>(found) - sq_.data());
        }
    }
}

void Position::add(Sq s, const Traits& t) {
    occupied_[t.color] |= bit(s);
    if (t.kind >= 0) kinds_[t.color][t.kind] |= bit(s);
    material_ += t.value;
    if (t.king && ++kingCount_[t.color] == 1) king_[t.color] = s;
}

Sq Position::kingSquare(Color c) const {
    if (kingCount_[index(c)] <= 1) return king_[index(c)];
    const void* found = std::memchr(sq_.data(), kingOf(c), sq_.size());
    return static_cast<Sq>(static_cast<const Piece*>(found) - sq_.data());
}

// Pawns attack their two forward diagonals whether anything stands there or
// not; pushes attack nothing.
bool Position::isAttacked(Sq target, Color c) const {
    return isAttackedWith(target, c, occupied_[0] | occupied_[1], ~std::uint64_t{0});
}

bool Position::isAttackedWith(Sq target, Color c, std::uint64_t occupied, std::uint64_t alive) const {
    return attackersWith(target, c, occupied, alive, true) != 0;
}

// The pieces of colour c attacking the target; with `firstOnly` it stops at one.
std::uint64_t Position::attackersWith(Sq target, Color c, std::uint64_t occupied, std::uint64_t alive,
                                      bool firstOnly) const {
    const std::array<std::uint64_t, 6>& k = kinds_[index(c)];
    std::uint64_t found = (kAttacks.knight[target] & k[kKnightKind]) | (kAttacks.king[target] & k[kKingKind]) |
                          (kAttacks.pawnAttackers[index(c)][target] & k[kPawnKind]);
    found &= alive;
    if (found != 0 && firstOnly) return found;
    const std::array<std::uint64_t, 64>& between = kAttacks.between[target];
    const std::uint64_t sliders = ((kAttacks.straight[target] & (k[kRookKind] | k[kQueenKind])) |
                                   (kAttacks.diagonal[target] & (k[kBishopKind] | k[kQueenKind]))) &
                                  alive;
    for (std::uint64_t s = sliders; s != 0; s &= s - 1) {
        const Sq from = __builtin_ctzll(s);
        if ((between[from] & occupied) != 0) continue;
        found |= bit(from);
        if (firstOnly) return found;
    }
    return found;
}

bool Position::inCheck() const {
    const Sq king = kingSquare(turn_);
    return king != -1 && isAttacked(king, other(turn_));
}

int Position::generate(MoveList& out) const {
    const Color mover = turn_;
    int movable = 0;
    const std::uint64_t own = occupied_[index(mover)];
    const std::uint64_t occupied = occupied_[0] | occupied_[1];
    for (std::uint64_t pieces = own; pieces != 0; pieces &= pieces - 1) {
        const Sq s = __builtin_ctzll(pieces);
        const Piece p = sq_[s];
        const int before = out.size;
        switch (kindOf(p)) {
            case 'P':
                if (mover == Color::White) {
                    whitePawnMoves(sq_, enPassant_, s, out);
                } else {
                    blackPawnMoves(sq_, enPassant_, s, out);
                }
                break;
            case 'N': stepMoves(s, own, out, kKnightSteps); break;
            case 'B': slideMoves(s, 4, 8, own, occupied, out); break;
            case 'R': slideMoves(s, 0, 4, own, occupied, out); break;
            case 'Q': slideMoves(s, 0, 8, own, occupied, out); break;
            case 'K': stepMoves(s, own, out, kQueenSteps); break;
            default: break;
        }
        if (out.size > before) ++movable;
        // Castles follow the king's own moves.
        if (s == (mover == Color::White ? 4 : 60)) generateCastles(out);
    }
    return movable;
}

void Position::generateCastles(MoveList& out) const {
    const bool white = turn_ == Color::White;
    const Castle* castles = white ? kWhiteCastles : kBlackCastles;
    const bool rights[] = {whiteLong_, whiteShort_, blackLong_, blackShort_};
    const Sq kingFrom = white ? 4 : 60;
    if (sq_[kingFrom] != kingOf(turn_)) return;
    for (int i = 0; i < 2; ++i) {
        const Castle& c = castles[i];
        if (!rights[c.right] || sq_[c.rookFrom] != c.rook) continue;
        bool empty = true;
        for (int e = 0; e < c.emptyCount; ++e) empty = empty && sq_[c.mustBeEmpty[e]] == 0;
        if (!empty) continue;
        const Color opponent = other(turn_);
        const bool attacked = isAttacked(c.mustNotBeAttacked[0], opponent) ||
                              isAttacked(c.mustNotBeAttacked[1], opponent) ||
                              isAttacked(c.mustNotBeAttacked[2], opponent);
        if (!attacked) out.push(kingFrom, c.destination);
    }
}

Position::KingSafety Position::kingSafety() const {
    KingSafety safety{false, 0, 0, 0};
    const int mover = index(turn_);
    if (kingCount_[mover] != 1) {
        safety.inCheck = inCheck();
        safety.careful = kingCount_[mover] == 0 ? 0 : ~std::uint64_t{0};
        return safety;
    }
    const Sq king = king_[mover];
    const std::uint64_t occupied = occupied_[0] | occupied_[1];
    safety.checkers = attackersWith(king, other(turn_), occupied, ~std::uint64_t{0}, false);
    safety.inCheck = safety.checkers != 0;
    const std::array<std::uint64_t, 6>& enemy = kinds_[1 - mover];
    const std::uint64_t sliders = (kAttacks.straight[king] & (enemy[kRookKind] | enemy[kQueenKind])) |
                                  (kAttacks.diagonal[king] & (enemy[kBishopKind] | enemy[kQueenKind]));
    for (std::uint64_t s = sliders; s != 0; s &= s - 1) {
        const std::uint64_t shield = kAttacks.between[king][__builtin_ctzll(s)] & occupied;
        if (shield != 0 && (shield & (shield - 1)) == 0) safety.pinned |= shield & occupied_[mover];
    }
    safety.careful = safety.pinned | bit(king);
    return safety;
}

bool Position::exposesKingAfterAll(Sq from, Sq to, const KingSafety& safety) const {
    const Color mover = turn_;
    const int count = kingCount_[index(mover)];
    if (count == 0) return false;
    const Piece moving = sq_[from];
    const bool enPassant = to == enPassant_ && kindOf(moving) == 'P';
    if (count == 1 && moving != kingOf(mover) && !enPassant) {
        const Sq king = king_[index(mover)];
        // Out of check only a pinned piece leaving its line uncovers the king.
        if (!safety.inCheck) {
            if ((safety.pinned & bit(from)) == 0) return false;
            const auto& between = kAttacks.between;
            return (between[king][from] & bit(to)) == 0 && (between[king][to] & bit(from)) == 0;
        }
        // In check it must take the only checker or step between it and the
        // king, and a pinned piece can do neither.
        const std::uint64_t checkers = safety.checkers;
        if ((checkers & (checkers - 1)) != 0 || (safety.pinned & bit(from)) != 0) return true;
        const Sq checker = __builtin_ctzll(checkers);
        return ((checkers | kAttacks.between[king][checker]) & bit(to)) == 0;
    }
    Sq rookFrom = -1;
    Sq rookTo = -1;
    if (count == 1 && moving == kingOf(mover) && !castleRookMove(moving, from, to, rookFrom, rookTo)) {
        const std::uint64_t occupied = ((occupied_[0] | occupied_[1]) & ~bit(from)) | bit(to);
        return isAttackedWith(to, other(mover), occupied, ~bit(to));
    }
    Position after = *this;
    after.play(from, to);
    const Sq king = after.kingSquare(mover);
    return king != -1 && after.isAttacked(king, other(mover));
}

int Position::materialAfter(Sq from, Sq to) const {
    const Piece moving = sq_[from];
    const bool pawn = kindOf(moving) == 'P';
    if ((pawn && to == enPassant_) || moving == 'K' || moving == 'k') {  // en passant and castles: play it
        Position after = *this;
        after.play(from, to);
        return after.material_;
    }
    int material = material_ - kSignedValue[static_cast<unsigned char>(sq_[to])];
    const bool white = turn_ == Color::White;
    if (pawn && (white ? to >= 56 : to <= 7)) {
        material += kSignedValue[static_cast<unsigned char>(white ? 'Q' : 'q')] -
                    kSignedValue[static_cast<unsigned char>(moving)];
    }
    return material;
}

void Position::keepLegal(MoveList& moves) const {
    const KingSafety safety = kingSafety();
    int kept = 0;
    for (int i = 0; i < moves.size; ++i) {
        const PackedMove m = moves.moves[i];
        if (!exposesKing(m.from, m.to, safety)) moves.moves[kept++] = m;
    }
    moves.size = kept;
}

// One piece's move with its side effects: promotion, the en-passant capture
// and square, castling rights. Returns whether it captured or moved a pawn.
bool Position::moveOne(Sq from, Sq to) {
    const Piece moving = sq_[from];
    const Piece captured = sq_[to];
    put(to, moving);
    put(from, 0);
    const bool pawn = kindOf(moving) == 'P';
    if (pawn) {
        if (turn_ == Color::White) {
            if (to >= 56) put(to, 'Q');
            if (to == enPassant_ && to > 7) put(to - 8, 0);
            enPassant_ = (from >= 8 && from <= 15 && to >= 24 && to <= 31) ? fileOf(from) + 16 : -1;
        } else {
            if (to <= 7) put(to, 'q');
            if (to == enPassant_ && to < 56) put(to + 8, 0);
            enPassant_ = (from >= 48 && from <= 55 && to >= 32 && to <= 39) ? fileOf(from) + 40 : -1;
        }
    } else {
        enPassant_ = -1;
    }
    switch (from) {
        case 4: whiteShort_ = whiteLong_ = false; break;
        case 60: blackShort_ = blackLong_ = false; break;
        case 0: whiteLong_ = false; break;
        case 7: whiteShort_ = false; break;
        case 56: blackLong_ = false; break;
        case 63: blackShort_ = false; break;
        default: break;
    }
    // A rook taken on its corner takes its side's castling right with it.
    if (captured == 'R' && to == 0) whiteLong_ = false;
    if (captured == 'R' && to == 7) whiteShort_ = false;
    if (captured == 'r' && to == 56) blackLong_ = false;
    if (captured == 'r' && to == 63) blackShort_ = false;
    return pawn || captured != 0;
}

bool Position::play(Sq from, Sq to) {
    const Piece moving = sq_[from];
    bool resetsClock = moveOne(from, to);
    // A castle moves its rook too and counts once, as the rook's half-move.
    // Generation only castles with the rook in its corner; a king jump without
    // one stays a plain king move.
    Sq rookFrom = -1;
    Sq rookTo = -1;
    if (castleRookMove(moving, from, to, rookFrom, rookTo) && sq_[rookFrom] != 0) {
        resetsClock = moveOne(rookFrom, rookTo);
    }
    turn_ = other(turn_);
    return resetsClock;
}

long long perft(const Position& p, int depth) {
    MoveList moves;
    p.generate(moves);
    p.keepLegal(moves);
    if (depth <= 1) return moves.size;
    long long nodes = 0;
    for (int i = 0; i < moves.size; ++i) {
        Position next = p;
        next.play(moves.moves[i].from, moves.moves[i].to);
        nodes += perft(next, depth - 1);
    }
    return nodes;
}

}  // namespace chess::internal
