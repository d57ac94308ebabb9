#include "synth/effects.h"

#include <cmath>
#include <cstdio>

namespace synth {
namespace {

// Every effect is matched to this momentary loudness (loudest 100 ms).
constexpr double kTargetRmsDb = -21.0;
constexpr double kCeilingDb = -2.0;

// ---- wood -------------------------------------------------------------------

// A wooden piece meeting the wooden board: a handful of quickly damped modes
// of the piece, a low resonance of the board and a short bright contact noise.
struct WoodKnock {
    double pitch = 800.0;       // lowest mode of the piece, Hz
    double decay = 0.05;        // time constant of that mode, s
    double boardHz = 180.0;     // resonance of the board
    double board = 0.4;         // its level relative to the piece
    double contactHz = 6000.0;  // brightness of the contact noise
    double contact = 0.35;
    std::uint32_t seed = 1;
};

// Mode ratios of a small turned block of wood: inharmonic, upper modes die fast.
constexpr double kWoodRatios[] = {1.0, 1.71, 2.63, 3.92};
constexpr double kWoodAmps[] = {1.0, 0.5, 0.28, 0.14};
constexpr double kWoodDecay[] = {1.0, 0.62, 0.4, 0.26};

void addWoodKnock(Buffer& out, double start, const WoodKnock& k, double amp) {
    for (std::size_t m = 0; m < std::size(kWoodRatios); ++m) {
        addPartial(out, start, {k.pitch * kWoodRatios[m], amp * kWoodAmps[m], k.decay * kWoodDecay[m], 0.0008, 0.0});
    }
    addPartial(out, start, {k.boardHz, amp * k.board, k.decay * 1.8, 0.002, 0.0});
    Noise noise(k.seed);
    addNoiseBurst(out, start, amp * k.contact, 0.0015, k.contactHz, noise);
}

// Pieces get lower and fuller with their weight, from pawn (0) to king (1);
// the opponent's pieces sit a semitone lower on a darker, boomier part of the board.
WoodKnock pieceKnock(double weight, bool opponent, std::uint32_t seed) {
    WoodKnock k;
    k.pitch = 1050.0 * std::pow(2.0, -1.3 * weight) * (opponent ? 0.94 : 1.0);
    k.decay = 0.032 + 0.03 * weight;
    k.boardHz = (opponent ? 165.0 : 195.0) - 45.0 * weight;
    k.board = 0.25 + 0.45 * weight + (opponent ? 0.1 : 0.0);
    k.contactHz = opponent ? 3800.0 : 5500.0;
    k.contact = 0.4 - 0.15 * weight;
    k.seed = seed;
    return k;
}

// A move of piece 0 (pawn) .. 5 (king).
Buffer makeMoveDrop(int piece, bool opponent) {
    Buffer out(frames(0.45), 0.0f);
    const WoodKnock k = pieceKnock(piece / 5.0, opponent, static_cast<std::uint32_t>(101 + 2 * piece + opponent));
    addWoodKnock(out, 0.0, k, 1.0);
    // Light pieces bounce once; heavy ones just land.
    if (piece <= 1) addWoodKnock(out, 0.028 + 0.006 * piece, k, 0.22);
    return out;
}

// A capture: the moving piece clacks against its victim, then lands. The
// weights sit between those of the plain moves, so no two drops sound alike.
Buffer makeCaptureDrop(double weight, bool opponent, double gap, std::uint32_t seed) {
    Buffer out(frames(0.6), 0.0f);
    WoodKnock clack = pieceKnock(0.0, opponent, seed + 50);
    clack.pitch *= 1.9;
    clack.decay = 0.012;
    clack.board = 0.0;
    addWoodKnock(out, 0.0, clack, 0.55);
    addWoodKnock(out, gap, pieceKnock(weight, opponent, seed), 1.0);
    return out;
}

// ---- interface sounds ---------------------------------------------------------

// A soft, short click: a damped high tone with a breath of noise, rounded off.
Buffer makeClick() {
    Buffer out(frames(0.09), 0.0f);
    addPartial(out, 0.0, {2100.0, 1.0, 0.008, 0.001, 0.0});
    addPartial(out, 0.0, {3400.0, 0.35, 0.004, 0.001, 0.0});
    addPartial(out, 0.0, {700.0, 0.3, 0.012, 0.001, 0.0});
    Noise noise(7);
    addNoiseBurst(out, 0.0, 0.25, 0.002, 3000.0, noise);
    lowpass(out, 5000.0);
    return out;
}

// Lifting a piece: a light hollow knock whose pitch rises as it leaves the board.
Buffer makePickup() {
    Buffer out(frames(0.25), 0.0f);
    addPartial(out, 0.0, {620.0, 1.0, 0.035, 0.002, 0.9});
    addPartial(out, 0.0, {1310.0, 0.45, 0.02, 0.002, 0.9});
    addPartial(out, 0.0, {2480.0, 0.2, 0.01, 0.001, 0.9});
    Noise noise(11);
    addNoiseBurst(out, 0.0, 0.2, 0.004, 2500.0, noise);
    return out;
}

// A short, low and gentle buzz: two detuned band-limited saws that beat slowly.
Buffer makeIllegal() {
    const double length = 0.3;
    Buffer out(frames(length), 0.0f);
    for (double base : {98.0, 103.8}) {
        for (int h = 1; h <= 14; ++h) {
            Partial p{base * h, 0.5 / h, 10.0, 0.012, 0.0};
            addPartial(out, 0.0, p);
        }
    }
    lowpass(out, 900.0);
    // Hold, then release over the last 90 ms.
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double release = std::min(1.0, (length - t) / 0.09);
        out[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * std::max(0.0, release)));
    }
    return out;
}

// A bell-like note: a sine with a soft octave and a quickly fading shimmer.
void addBell(Buffer& out, double start, double freq, double amp, double tau) {
    addPartial(out, start, {freq, amp, tau, 0.004, 0.0});
    addPartial(out, start, {freq * 2.0, amp * 0.3, tau * 0.6, 0.004, 0.0});
    addPartial(out, start, {freq * 3.01, amp * 0.12, tau * 0.35, 0.003, 0.0});
    addPartial(out, start, {freq * 4.17, amp * 0.08, tau * 0.15, 0.002, 0.0});
}

// A bright chime: a quick rising C major arpeggio that rings together.
Buffer makeSuccess() {
    Buffer out(frames(1.1), 0.0f);
    const double notes[] = {72.0, 76.0, 79.0, 84.0};  // C5 E5 G5 C6
    for (int i = 0; i < 4; ++i) {
        addBell(out, 0.06 * i, midiToHz(notes[i] + 12.0), 0.6 + 0.1 * i, 0.32);
    }
    return out;
}

// One of the three rating stars: a glassy note with a little sparkle above.
Buffer makeStar(int index) {
    const double notes[] = {81.0, 85.0, 88.0};  // A5 C#6 E6, rising
    Buffer out(frames(0.7), 0.0f);
    const double f = midiToHz(notes[index]);
    addBell(out, 0.0, f, 1.0, 0.2);
    addBell(out, 0.0, f * 1.003, 0.5, 0.16);  // slight detune for shimmer
    addBell(out, 0.045, f * 2.0, 0.25, 0.06);
    return out;
}

// Fades, a short silent lead-in and the shared loudness. The lead-in matters
// for the sharp knocks: the encoder smears an attack a few milliseconds
// backwards, and the file must still begin at silence.
Effect finish(std::string file, Buffer samples, double fadeOut) {
    constexpr double kLeadIn = 0.005;
    fadeEdges(samples, 0.002, fadeOut);
    samples.insert(samples.begin(), frames(kLeadIn), 0.0f);
    if (!matchLoudness(samples, kTargetRmsDb, kCeilingDb)) {
        std::fprintf(stderr, "synth: %s reaches the peak ceiling and is quieter than the rest\n", file.c_str());
    }
    return {std::move(file), std::move(samples)};
}

}  // namespace

std::vector<Effect> makeEffects() {
    std::vector<Effect> effects;
    effects.push_back(finish("sfx_click.ogg", makeClick(), 0.03));
    effects.push_back(finish("sfx_pickup.ogg", makePickup(), 0.06));
    effects.push_back(finish("sfx_illegal.ogg", makeIllegal(), 0.01));
    effects.push_back(finish("sfx_success.ogg", makeSuccess(), 0.25));
    for (int i = 0; i < 3; ++i) {
        effects.push_back(finish("sfx_star" + std::to_string(i + 1) + ".ogg", makeStar(i), 0.15));
    }
    // Drops 0-11: a move of each piece, the player's and the opponent's in turn.
    for (int i = 0; i < 12; ++i) {
        effects.push_back(finish("sfx_drop_" + std::to_string(i) + ".ogg", makeMoveDrop(i / 2, i % 2 == 1), 0.12));
    }
    // Drops 12-14: captures, a light one, the opponent's, and the heaviest.
    effects.push_back(finish("sfx_drop_12.ogg", makeCaptureDrop(0.0, false, 0.05, 201), 0.15));
    effects.push_back(finish("sfx_drop_13.ogg", makeCaptureDrop(0.3, true, 0.06, 203), 0.15));
    effects.push_back(finish("sfx_drop_14.ogg", makeCaptureDrop(1.05, false, 0.07, 205), 0.15));
    return effects;
}

}  // namespace synth
