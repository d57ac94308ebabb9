#include "synth/dsp.h"

#include <algorithm>
#include <cmath>

namespace synth {

double Noise::next() {
    // xorshift32: tiny, fast and the same on every machine.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483647.5 - 1.0;
}

std::size_t frames(double seconds) {
    return static_cast<std::size_t>(std::llround(seconds * kSampleRate));
}

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }
double dbToGain(double db) { return std::pow(10.0, db / 20.0); }
double gainToDb(double gain) { return gain > 0.0 ? 20.0 * std::log10(gain) : -200.0; }

namespace {

double riseCurve(double t, double attack) {
    if (attack <= 0.0 || t >= attack) return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * t / attack);
}

}  // namespace

void addPartial(Buffer& out, double start, const Partial& p) {
    const std::size_t first = frames(start);
    // Stop once the partial has decayed by about 100 dB.
    const std::size_t length = frames(p.tau * 11.5 + p.attack);
    const std::size_t last = std::min(out.size(), first + length);
    double phase = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / kSampleRate;
        const double env = riseCurve(t, p.attack) * std::exp(-t / p.tau);
        out[i] += static_cast<float>(p.amp * env * std::sin(phase));
        phase += 2.0 * kPi * p.freq * (1.0 + p.glide * t) / kSampleRate;
    }
}

void addNoiseBurst(Buffer& out, double start, double amp, double tau, double lowpassHz, Noise& noise) {
    const std::size_t first = frames(start);
    const std::size_t last = std::min(out.size(), first + frames(tau * 10.0));
    const double a = 1.0 - std::exp(-2.0 * kPi * lowpassHz / kSampleRate);
    double smooth = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / kSampleRate;
        smooth += a * (noise.next() - smooth);
        out[i] += static_cast<float>(amp * riseCurve(t, 0.0005) * std::exp(-t / tau) * smooth);
    }
}

void lowpass(Buffer& buf, double cutoffHz) {
    const double a = 1.0 - std::exp(-2.0 * kPi * cutoffHz / kSampleRate);
    double y = 0.0;
    for (float& x : buf) {
        y += a * (x - y);
        x = static_cast<float>(y);
    }
}

void highpass(Buffer& buf, double cutoffHz) {
    const double a = 1.0 - std::exp(-2.0 * kPi * cutoffHz / kSampleRate);
    double low = 0.0;
    for (float& x : buf) {
        low += a * (x - low);
        x = static_cast<float>(x - low);
    }
}

void fadeEdges(Buffer& buf, double fadeIn, double fadeOut) {
    const std::size_t n = buf.size();
    const std::size_t in = std::min(n, frames(fadeIn));
    const std::size_t out = std::min(n, frames(fadeOut));
    for (std::size_t i = 0; i < in; ++i) {
        buf[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / in));
    }
    for (std::size_t i = 0; i < out; ++i) {
        buf[n - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / out));
    }
}

double peak(const Buffer& buf) {
    double p = 0.0;
    for (float x : buf) p = std::max(p, static_cast<double>(std::fabs(x)));
    return p;
}

double loudestWindowRms(const Buffer& buf, double window) {
    const std::size_t w = std::max<std::size_t>(1, frames(window));
    double sum = 0.0;
    double best = 0.0;
    for (std::size_t i = 0; i < buf.size(); ++i) {
        sum += static_cast<double>(buf[i]) * buf[i];
        if (i >= w) sum -= static_cast<double>(buf[i - w]) * buf[i - w];
        best = std::max(best, sum);
    }
    // A sound shorter than the window is measured over the whole window.
    return std::sqrt(std::max(best, 0.0) / static_cast<double>(w));
}

bool matchLoudness(Buffer& buf, double targetRmsDb, double ceilingDb) {
    const double rms = loudestWindowRms(buf, 0.1);
    const double p = peak(buf);
    if (rms <= 0.0 || p <= 0.0) return false;
    double gain = dbToGain(targetRmsDb) / rms;
    const bool fits = p * gain <= dbToGain(ceilingDb);
    if (!fits) gain = dbToGain(ceilingDb) / p;
    for (float& x : buf) x = static_cast<float>(x * gain);
    return fits;
}

}  // namespace synth
