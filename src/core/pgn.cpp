#include "core/pgn.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace chess {

namespace {

constexpr std::size_t kMaxLine = 80;

int fileOf(Sq s) { return s % 8; }
int rankOf(Sq s) { return s / 8; }
char fileLetter(Sq s) { return static_cast<char>('a' + fileOf(s)); }
char rankDigit(Sq s) { return static_cast<char>('1' + rankOf(s)); }
std::string lowerName(Sq s) { return {fileLetter(s), rankDigit(s)}; }

// File, rank or both, whichever tells `from` apart from the other pieces of the
// same kind that could also reach `to`.
std::string disambiguation(const MoveMap& legal, const Board& board, Sq from, Sq to) {
    bool rival = false;
    bool sameFile = false;
    bool sameRank = false;
    for (Sq s = 0; s < 64; ++s) {
        if (s == from || board.at(s) != board.at(from) || !legal.contains(s, to)) continue;
        rival = true;
        sameFile = sameFile || fileOf(s) == fileOf(from);
        sameRank = sameRank || rankOf(s) == rankOf(from);
    }
    if (!rival) return "";
    if (!sameFile) return std::string(1, fileLetter(from));
    if (!sameRank) return std::string(1, rankDigit(from));
    return lowerName(from);
}

// "+" or "#" when the move gives check, judged on the position after it.
std::string checkMark(Board after) {
    after.isFinished = false;
    after.checkMate = false;
    if (!after.playingPlayerInCheck()) return "";
    after.getMoves();
    return after.checkMate ? "#" : "+";
}

std::string sanWithLegal(const Board& board, const MoveMap& legal, Move m) {
    const Piece moved = board.at(m.from);
    const Piece kind = kindOf(moved);
    Board after = board;
    after.makeMove(m.from, m.to);
    if (kind == 'K' && std::abs(fileOf(m.to) - fileOf(m.from)) == 2) {
        return (fileOf(m.to) > fileOf(m.from) ? "O-O" : "O-O-O") + checkMark(after);
    }
    std::string san;
    if (kind == 'P') {
        // A pawn changes its file only when it captures (en passant included).
        if (fileOf(m.to) != fileOf(m.from)) san = std::string(1, fileLetter(m.from)) + "x";
        san += lowerName(m.to);
        if (rankOf(m.to) == 0 || rankOf(m.to) == 7) san += "=Q";
    } else {
        san = std::string(1, kind) + disambiguation(legal, board, m.from, m.to);
        if (board.at(m.to) != 0) san += "x";
        san += lowerName(m.to);
    }
    return san + checkMark(after);
}

std::string pgnDate(std::int64_t ms) {
    const std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    char text[40];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d", (tm.tm_year + 1900) % 10000, tm.tm_mon + 1, tm.tm_mday);
    return text;
}

std::string tag(const std::string& name, const std::string& value) {
    std::string escaped;
    for (char c : value) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return "[" + name + " \"" + escaped + "\"]\n";
}

// Space-separated tokens in lines of at most kMaxLine characters.
std::string wrapTokens(const std::vector<std::string>& tokens) {
    std::string out;
    std::size_t lineLength = 0;
    for (const std::string& token : tokens) {
        if (lineLength > 0 && lineLength + 1 + token.size() > kMaxLine) {
            out += '\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            out += ' ';
            ++lineLength;
        }
        out += token;
        lineLength += token.size();
    }
    return out + "\n";
}

}  // namespace

std::string coordinateOf(Move m) {
    if (m.from < 0 || m.from > 63 || m.to < 0 || m.to > 63) return "";
    return lowerName(m.from) + lowerName(m.to);
}

Move moveFromCoordinate(const std::string& text) {
    if (text.size() != 4) return {};
    const Sq from = squareFromName(text.substr(0, 2));
    const Sq to = squareFromName(text.substr(2, 2));
    if (from < 0 || to < 0) return {};
    return {from, to};
}

std::string sanFor(const Board& board, Move m) {
    Board copy = board;
    return sanWithLegal(board, copy.getMoves(), m);
}

GameLine replayLine(const std::string& startFen, const std::vector<std::string>& moves) {
    GameLine line;
    line.start = startFen.empty() ? Board::startPosition() : Board::fromFen(startFen);
    line.start.isFinished = false;
    line.start.checkMate = false;
    Board board = line.start;
    // One move generation per position: its list serves the legality test, the
    // disambiguation and (for the position after) the check mark.
    for (const std::string& text : moves) {
        const Move m = moveFromCoordinate(text);
        Board probe = board;
        const MoveMap legal = probe.getMoves();
        if (m.from < 0 || !legal.contains(m.from, m.to)) break;
        line.san.push_back(sanWithLegal(board, legal, m));
        line.moves.push_back(m);
        board.makeMove(m.from, m.to);
    }
    line.final = board;
    return line;
}

std::string resultTag(Board final) {
    final.isFinished = false;
    final.checkMate = false;
    final.getMoves();
    if (final.checkMate) return final.turn == Color::White ? "0-1" : "1-0";
    return final.isFinished ? "1/2-1/2" : "*";
}

std::string pgnFor(const std::string& startFen, const std::vector<std::string>& moves, const PgnFacts& facts) {
    const GameLine line = replayLine(startFen, moves);
    const std::string result = resultTag(line.final);
    const std::string level = std::to_string(facts.level);
    const std::string computer = "Computer (\u2248 " + std::to_string(facts.elo) + " ELO)";

    std::string out = tag("Event", "Orlavan's Chess \u2014 Level " + level);
    out += tag("Site", "?");
    out += tag("Date", pgnDate(facts.playedAtMs));
    out += tag("Round", level);
    out += tag("White", facts.playerWhite ? facts.playerName : computer);
    out += tag("Black", facts.playerWhite ? computer : facts.playerName);
    out += tag("Result", result);
    const std::string startText = line.start.fen();
    if (startText != Board::startPosition().fen()) {
        out += tag("SetUp", "1");
        out += tag("FEN", startText);
    }
    out += '\n';

    std::vector<std::string> tokens;
    int number = line.start.fullMove;
    bool white = line.start.turn == Color::White;
    for (std::size_t i = 0; i < line.san.size(); ++i) {
        if (white) {
            tokens.push_back(std::to_string(number) + ".");
        } else if (i == 0) {
            tokens.push_back(std::to_string(number) + "...");
        }
        tokens.push_back(line.san[i]);
        if (!white) ++number;
        white = !white;
    }
    tokens.push_back(result);
    return out + wrapTokens(tokens);
}

}  // namespace chess
