// Small building blocks of the sound generator: oscillators, envelopes,
// filters and level measurement on float buffers at one fixed sample rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth {

inline constexpr int kSampleRate = 44100;
inline constexpr double kPi = 3.14159265358979323846;

using Buffer = std::vector<float>;

// Deterministic noise, so every build writes the same sounds.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    double next();  // uniform in -1..1
private:
    std::uint32_t state_;
};

std::size_t frames(double seconds);
double midiToHz(double note);
double dbToGain(double db);
double gainToDb(double gain);

// Adds a sine partial that starts at `start` seconds with phase 0 and decays
// exponentially with time constant `tau`; `attack` is a raised-cosine rise.
struct Partial {
    double freq = 440.0;
    double amp = 1.0;
    double tau = 0.1;
    double attack = 0.002;
    double glide = 0.0;  // relative pitch change per second (0.1 = +10 %/s)
};
void addPartial(Buffer& out, double start, const Partial& p);

// Filtered noise burst: the contact of two hard surfaces.
void addNoiseBurst(Buffer& out, double start, double amp, double tau, double lowpassHz, Noise& noise);

// One-pole low-pass and high-pass filters, in place.
void lowpass(Buffer& buf, double cutoffHz);
void highpass(Buffer& buf, double cutoffHz);

// Raised-cosine fades at both ends, so the sound starts and ends at silence.
void fadeEdges(Buffer& buf, double fadeIn, double fadeOut);

double peak(const Buffer& buf);
// RMS of the loudest window of `window` seconds: a simple momentary loudness.
double loudestWindowRms(const Buffer& buf, double window);

// Scales an effect to the shared loudness; returns false if the peak would
// then exceed the ceiling (the sound is scaled down to the ceiling instead).
bool matchLoudness(Buffer& buf, double targetRmsDb, double ceilingDb);

}  // namespace synth
