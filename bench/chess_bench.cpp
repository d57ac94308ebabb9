// Benchmarks and a debugging aid for the chess core.
//
//   chess_bench perft DEPTH [FEN]   leaf nodes of legal move generation
//   chess_bench moves FEN           legal moves in generation order
//   chess_bench ai FEN LEVEL        the opponent's choice and every scored move
//   chess_bench search              aiMove timings at levels 0..3 over a fixed suite
//   chess_bench selfplay N LEVEL    N computer-against-computer games, search timings
//   chess_bench time FEN LEVEL      one search and its time
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/chess.h"

namespace {

const char* kStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string lowerName(chess::Sq s) {
    std::string name = chess::squareName(s);
    name[0] = static_cast<char>(name[0] - 'A' + 'a');
    return name;
}

std::string moveText(const chess::Move& m) { return lowerName(m.from) + lowerName(m.to); }

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this thread: on a shared machine it shows the work done,
// where the wall clock also counts the waits for a core.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

int runPerft(int depth, const std::string& fen) {
    const chess::Board board = chess::Board::fromFen(fen);
    const auto start = std::chrono::steady_clock::now();
    const long long nodes = chess::perft(board, depth);
    std::printf("perft %d nodes %lld seconds %.3f\n", depth, nodes, secondsSince(start));
    return 0;
}

int runMoves(const std::string& fen) {
    chess::Board board = chess::Board::fromFen(fen);
    const std::vector<chess::Move> moves = board.getMoves(0).flat();
    std::string line;
    for (const chess::Move& m : moves) {
        if (!line.empty()) line += ' ';
        line += moveText(m);
    }
    std::printf("%s\n", line.c_str());
    return 0;
}

int runAi(const std::string& fen, int level) {
    const chess::Board board = chess::Board::fromFen(fen);
    const chess::RandomSource zero = [] { return 0.0; };
    const std::vector<chess::ScoredMove> scored = chess::calculateAiMoves(board, level, zero);
    const chess::Move best = chess::aiMove(board, level, zero);
    std::printf("%s\n", best.from == -1 ? "none" : moveText(best).c_str());
    std::string line;
    for (const chess::ScoredMove& s : scored) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s:%.4f", moveText(s.move).c_str(), s.score);
        if (!line.empty()) line += ' ';
        line += buf;
    }
    std::printf("%s\n", line.c_str());
    return 0;
}

// Openings, middlegames and endgames below 50 material (where the search
// goes one level deeper).
const char* const kSuite[] = {
    // openings
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/pppp1ppp/5n2/4p3/2B1P3/8/PPPP1PPP/RNBQK1NR w KQkq - 2 3",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2",
    "rnbqkbnr/ppp1pppp/8/3p4/3P4/8/PPP1PPPP/RNBQKBNR w KQkq d6 0 2",
    "rnbqkb1r/pppppp1p/5np1/8/2PP4/8/PP2PPPP/RNBQKBNR w KQkq - 0 3",
    "4k3/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    // middlegames
    "r1bq1rk1/pppp1ppp/2n2n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQK2R w KQ - 5 6",
    "r2q1rk1/ppp2ppp/2np1n2/2b1p1B1/2B1P1b1/2NP1N2/PPP2PPP/R2Q1RK1 w - - 4 8",
    "r1bqk2r/pp2bppp/2nppn2/8/3NP3/2N1B3/PPP1BPPP/R2QK2R w KQkq - 2 8",
    "r4rk1/pp1qppbp/2np1np1/2p5/4PP2/2NP1NP1/PPPQ2BP/R1B2RK1 b - - 2 10",
    "2kr3r/ppp2ppp/2n1bn2/2b1p3/4P3/2NPBN2/PPP1BPPP/R3K2R w KQ - 6 9",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP2PPP/R2Q1RK1 w - - 0 12",
    "r3kb1r/pp1n1ppp/2p1pn2/q2p1b2/2PP4/2N1PN2/PPQ2PPP/R1B1KB1R w KQkq - 1 8",
    "r1bqr1k1/ppp2ppp/2np1n2/2b1p3/2B1P3/2PP1N2/PP1N1PPP/R1BQR1K1 w - - 3 8",
    "rnbq1rk1/ppp1ppbp/3p1np1/8/2PPP3/2N2N2/PP2BPPP/R1BQK2R b KQ - 3 6",
    "r2qkb1r/pp2pppp/2n2n2/3p4/3P2b1/2N2N2/PP2PPPP/R1BQKB1R w KQkq - 4 6",
    "3rr1k1/pp3ppp/2p2n2/4q3/4P3/2N2Q2/PPP3PP/3RR1K1 w - - 0 20",
    "r5k1/5ppp/p1pb4/1p1p4/3P1q2/2P1R3/PP3PPP/R2Q2K1 b - - 1 22",
    // endgames below 50 material
    "8/8/4k3/8/8/4K3/4R3/8 w - - 0 1",
    "8/5k2/8/8/3Q4/8/5K2/8 w - - 0 1",
    "8/8/3k4/8/8/8/3KP3/8 w - - 0 1",
    "8/2p5/3k4/1p6/1P1K4/8/8/8 w - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/8/4k3/3r4/8/3R4/4K3/8 w - - 0 1",
    "8/p4pk1/6p1/8/8/6P1/P4PK1/8 w - - 0 1",
    "4k3/8/8/8/8/8/4P3/R3K3 w Q - 0 1",
    "8/8/2b1k3/8/8/3NK3/8/8 w - - 0 1",
    "5k2/8/5K2/5P2/8/8/8/8 w - - 30 60",
};

struct Timing {
    double median;
    double p95;
    double p99;
    double max;
};

Timing summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) {
        const std::size_t i = static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1) + 0.5);
        return ms[std::min(i, ms.size() - 1)];
    };
    return {at(0.5), at(0.95), at(0.99), ms.back()};
}

int runSearch() {
    std::srand(20261207);
    const chess::RandomSource noise = [] { return std::rand() / 2147483648.0; };
    const int positions = static_cast<int>(sizeof kSuite / sizeof kSuite[0]);
    for (int level = 0; level <= 3; ++level) {
        std::vector<double> ms;
        for (const char* fen : kSuite) {
            const chess::Board board = chess::Board::fromFen(fen);
            const auto start = std::chrono::steady_clock::now();
            const chess::Move move = chess::aiMove(board, level, noise);
            ms.push_back(secondsSince(start) * 1000.0);
            if (move.from == -1) std::fprintf(stderr, "no move in %s\n", fen);
        }
        const Timing t = summarise(ms);
        std::printf("level %d positions %d median_ms %.2f p95_ms %.2f max_ms %.2f\n", level, positions,
                    t.median, t.p95, t.max);
    }
    return 0;
}

// Both sides played by the computer from the start position, until the game
// ends or reaches the ply limit (there is no draw rule but stalemate).
int runSelfplay(int games, int level) {
    constexpr int kPlyLimit = 300;
    std::srand(20261208);
    const chess::RandomSource noise = [] { return std::rand() / 2147483648.0; };
    std::vector<double> ms;
    std::vector<double> cpu;
    for (int game = 0; game < games; ++game) {
        chess::Board board = chess::Board::startPosition();
        for (int ply = 0; ply < kPlyLimit; ++ply) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = cpuMs();
            const chess::Move move = chess::aiMove(board, level, noise);
            ms.push_back(secondsSince(start) * 1000.0);
            cpu.push_back(cpuMs() - cpuStart);
            if (move.from == -1) break;
            board.makeMove(move.from, move.to);
        }
    }
    if (ms.empty()) return 0;
    const Timing t = summarise(ms);
    const Timing c = summarise(cpu);
    std::printf("selfplay games %d level %d moves %zu median_ms %.2f p95_ms %.2f p99_ms %.2f max_ms %.2f "
                "cpu_median_ms %.2f cpu_p95_ms %.2f cpu_p99_ms %.2f cpu_max_ms %.2f\n",
                games, level, ms.size(), t.median, t.p95, t.p99, t.max, c.median, c.p95, c.p99, c.max);
    return 0;
}

int runTime(const std::string& fen, int level) {
    const chess::Board board = chess::Board::fromFen(fen);
    std::srand(20261208);
    const chess::RandomSource noise = [] { return std::rand() / 2147483648.0; };
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuMs();
    const chess::Move move = chess::aiMove(board, level, noise);
    const double cpu = cpuMs() - cpuStart;
    const double ms = secondsSince(start) * 1000.0;
    std::printf("time level %d move %s ms %.2f cpu_ms %.2f\n", level, move.from == -1 ? "none" : moveText(move).c_str(),
                ms, cpu);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: chess_bench perft DEPTH [FEN]\n"
                 "       chess_bench moves FEN\n"
                 "       chess_bench ai FEN LEVEL\n"
                 "       chess_bench search\n"
                 "       chess_bench selfplay N LEVEL\n"
                 "       chess_bench time FEN LEVEL\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string& command = args[0];
    if (command == "perft" && (args.size() == 2 || args.size() == 3)) {
        return runPerft(std::atoi(args[1].c_str()), args.size() == 3 ? args[2] : kStartFen);
    }
    if (command == "moves" && args.size() == 2) return runMoves(args[1]);
    if (command == "ai" && args.size() == 3) return runAi(args[1], std::atoi(args[2].c_str()));
    if (command == "search" && args.size() == 1) return runSearch();
    if (command == "selfplay" && args.size() == 3) {
        return runSelfplay(std::atoi(args[1].c_str()), std::atoi(args[2].c_str()));
    }
    if (command == "time" && args.size() == 3) return runTime(args[1], std::atoi(args[2].c_str()));
    return usage();
}
