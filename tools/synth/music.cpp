#include "synth/music.h"

#include <array>
#include <cmath>

namespace synth {
namespace {

constexpr double kBeat = 0.8;  // 75 beats per minute
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 24;
constexpr int kBarsPerChord = 2;
constexpr double kBar = kBeat * kBeatsPerBar;
constexpr double kLoopSeconds = kBar * kBars;

// Chord tones as MIDI notes, lowest first; the first note is the bass root.
using Chord = std::array<int, 5>;
constexpr Chord kChords[kBars / kBarsPerChord] = {
    Chord{41, 57, 60, 64, 65},  // Fmaj7
    Chord{40, 55, 59, 62, 64},  // Em7
    Chord{38, 57, 60, 62, 65},  // Dm7 (9 on top)
    Chord{36, 55, 59, 60, 64},  // Cmaj7
    Chord{41, 57, 60, 64, 65},  // Fmaj7
    Chord{40, 55, 59, 62, 64},  // Em7
    Chord{45, 55, 60, 64, 67},  // Am7
    Chord{43, 55, 60, 62, 67},  // Gsus4
    Chord{38, 57, 60, 62, 65},  // Dm7
    Chord{40, 55, 59, 62, 64},  // Em7
    Chord{41, 57, 60, 64, 69},  // Fmaj7
    Chord{43, 55, 59, 62, 67},  // G
};

// Equal-power panning, position in -1 (left) .. 1 (right).
struct Pan {
    explicit Pan(double position)
        : left(std::cos((position + 1.0) * kPi / 4.0)), right(std::sin((position + 1.0) * kPi / 4.0)) {}
    double left;
    double right;
};

// A stereo buffer that wraps around: whatever is written past the end lands at
// the start, so a note's tail continues seamlessly when the loop repeats.
struct Loop {
    Buffer left = Buffer(frames(kLoopSeconds), 0.0f);
    Buffer right = Buffer(frames(kLoopSeconds), 0.0f);

    void add(std::size_t frame, double sample, const Pan& pan) {
        const std::size_t i = frame % left.size();
        left[i] += static_cast<float>(sample * pan.left);
        right[i] += static_cast<float>(sample * pan.right);
    }
};

// Soft pad: three slightly detuned triangle-like voices per note that swell in
// and fade out, overlapping the next chord.
void addPadNote(Loop& loop, double start, double length, double note, double amp, const Pan& pan) {
    const double attack = 1.4;
    const double release = 1.8;
    const double f = midiToHz(note);
    const std::size_t first = frames(start);
    const std::size_t count = frames(length + release);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double env = t < attack ? 0.5 - 0.5 * std::cos(kPi * t / attack) : 1.0;
        if (t > length) env *= 0.5 + 0.5 * std::cos(kPi * (t - length) / release);
        double s = 0.0;
        for (double detune : {-0.004, 0.0, 0.004}) {
            // Sine plus weak third and fifth harmonics, a rounded triangle; the
            // harmonics come from the sine by the multiple-angle formulas.
            const double x = std::sin(2.0 * kPi * f * (1.0 + detune) * t);
            const double x3 = x * x * x;
            const double sin3 = 3.0 * x - 4.0 * x3;
            const double sin5 = 16.0 * x3 * x * x - 20.0 * x3 + 5.0 * x;
            s += x - sin3 / 18.0 + sin5 / 60.0;
        }
        loop.add(first + i, amp * env * s / 3.0, pan);
    }
}

// Round bass: a sine with a touch of second harmonic, gently plucked.
void addBassNote(Loop& loop, double start, double note, double amp) {
    const double f = midiToHz(note);
    const std::size_t first = frames(start);
    const std::size_t count = frames(3.0);
    const Pan centre(0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double env = std::min(1.0, t / 0.03) * std::exp(-t / 0.9) * std::min(1.0, (3.0 - t) / 0.3);
        const double phase = 2.0 * kPi * f * t;
        loop.add(first + i, amp * env * (std::sin(phase) + 0.15 * std::sin(2.0 * phase)), centre);
    }
}

// Electric-piano-like bell for the melody: two-operator FM whose brightness
// fades faster than its body.
void addKeyNote(Loop& loop, double start, double note, double amp, const Pan& pan) {
    const double f = midiToHz(note);
    const std::size_t first = frames(start);
    const std::size_t count = frames(3.5);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double env = std::min(1.0, t / 0.008) * std::exp(-t / 0.85) * std::min(1.0, (3.5 - t) / 0.4);
        const double index = 1.2 * std::exp(-t / 0.25);
        const double s = std::sin(2.0 * kPi * f * t + index * std::sin(2.0 * kPi * f * t));
        loop.add(first + i, amp * env * s, pan);
    }
}

void addPad(Loop& loop) {
    const double chordLength = kBar * kBarsPerChord;
    for (std::size_t c = 0; c < std::size(kChords); ++c) {
        const double start = static_cast<double>(c) * chordLength;
        for (std::size_t v = 1; v < kChords[c].size(); ++v) {
            const Pan pan(-0.5 + 0.25 * static_cast<double>(v - 1));
            addPadNote(loop, start, chordLength, kChords[c][v], 0.05, pan);
        }
    }
}

void addBass(Loop& loop) {
    for (int bar = 0; bar < kBars; ++bar) {
        const int root = kChords[bar / kBarsPerChord][0];
        addBassNote(loop, bar * kBar, root, 0.11);
        addBassNote(loop, bar * kBar + 2.5 * kBeat, root + 7, 0.06);
    }
}

// A sparse, unhurried melody: on each bar a few chord tones an octave up, on
// eighth-note positions picked by a fixed pseudo-random sequence.
void addMelody(Loop& loop) {
    Noise choice(2024);
    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& chord = kChords[bar / kBarsPerChord];
        const int notes = bar % 4 == 3 ? 1 : 2 + static_cast<int>(choice.next() > 0.2);
        int slot = 0;
        for (int n = 0; n < notes; ++n) {
            slot += 1 + static_cast<int>((choice.next() + 1.0) * 1.5);
            if (slot >= 8) break;
            const int tone = chord[1 + static_cast<int>((choice.next() + 1.0) * 1.99)];
            const Pan pan(0.35 * choice.next());
            addKeyNote(loop, bar * kBar + slot * kBeat / 2.0, tone + 12, 0.07, pan);
        }
    }
}

// A small Schroeder reverb per channel. Run over two copies of the loop and
// the second copy is kept: by then the tail of the first pass has wrapped in,
// just as it will when the track repeats.
Buffer reverb(const Buffer& dry, const std::array<int, 4>& combDelays, double wet) {
    struct Comb {
        std::vector<float> line;
        std::size_t pos = 0;
        double damped = 0.0;  // low-passed feedback: the room absorbs highs first
    };
    struct Allpass {
        std::vector<float> line;
        std::size_t pos = 0;
    };
    std::array<Comb, 4> combs;
    for (std::size_t c = 0; c < combs.size(); ++c) combs[c].line.assign(static_cast<std::size_t>(combDelays[c]), 0.0f);
    std::array<Allpass, 2> allpasses = {Allpass{std::vector<float>(556, 0.0f)}, Allpass{std::vector<float>(441, 0.0f)}};

    const std::size_t n = dry.size();
    Buffer out(n, 0.0f);
    for (std::size_t i = 0; i < 2 * n; ++i) {
        const double x = dry[i % n];
        double sum = 0.0;
        for (Comb& c : combs) {
            const double delayed = c.line[c.pos];
            c.damped += 0.6 * (delayed - c.damped);
            c.line[c.pos] = static_cast<float>(0.2 * x + 0.82 * c.damped);
            c.pos = (c.pos + 1) % c.line.size();
            sum += delayed;
        }
        for (Allpass& a : allpasses) {
            const double delayed = a.line[a.pos];
            a.line[a.pos] = static_cast<float>(sum + 0.5 * delayed);
            sum = delayed - 0.5 * sum;
            a.pos = (a.pos + 1) % a.line.size();
        }
        if (i >= n) out[i - n] = static_cast<float>(x + wet * sum);
    }
    return out;
}

// Gentle darkening so nothing in the loop is sharp.
void soften(Buffer& buf) {
    // A one-pole filter also has memory; warm it up on the end of the loop.
    const double a = 1.0 - std::exp(-2.0 * kPi * 4500.0 / kSampleRate);
    double y = 0.0;
    for (std::size_t i = buf.size() - frames(0.1); i < buf.size(); ++i) y += a * (buf[i] - y);
    for (float& x : buf) {
        y += a * (x - y);
        x = static_cast<float>(y);
    }
}

void scaleTo(StereoLoop& loop, double peakDb) {
    const double p = std::max(peak(loop.left), peak(loop.right));
    const double gain = p > 0.0 ? dbToGain(peakDb) / p : 1.0;
    for (Buffer* b : {&loop.left, &loop.right}) {
        for (float& x : *b) x = static_cast<float>(x * gain);
    }
}

}  // namespace

StereoLoop makeCalmLoop() {
    Loop dry;
    addPad(dry);
    addBass(dry);
    addMelody(dry);
    StereoLoop out{reverb(dry.left, {1557, 1617, 1491, 1422}, 0.35), reverb(dry.right, {1580, 1640, 1514, 1445}, 0.35)};
    soften(out.left);
    soften(out.right);
    scaleTo(out, -6.0);
    return out;
}

}  // namespace synth
