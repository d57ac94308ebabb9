// Sound: the delayed-effect queue, the move sounds, behaviour with and without
// a device or files, and measurements of the generated sound files.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "platform/audio.h"
#include "platform/paths.h"

namespace {

using audio::Sfx;
namespace fs = std::filesystem;

// ---- the queue and the move table (no device needed) ---------------------------

TEST(AudioQueue, TakesDueEntriesInOrderAndKeepsTheRest) {
    std::vector<audio::Pending> pending = {
        {Sfx::Drop7, 1000}, {Sfx::Drop14, 1440}, {Sfx::Drop10, 1000}, {Sfx::Star1, 999}};
    EXPECT_TRUE(audio::takeDue(pending, 998).empty());
    ASSERT_EQ(pending.size(), 4u);

    // Due exactly now counts as due; list order is kept on both sides.
    EXPECT_EQ(audio::takeDue(pending, 1000), (std::vector<Sfx>{Sfx::Drop7, Sfx::Drop10, Sfx::Star1}));
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].key, Sfx::Drop14);
    EXPECT_TRUE(audio::takeDue(pending, 1439).empty());
    EXPECT_EQ(audio::takeDue(pending, 1440), std::vector<Sfx>{Sfx::Drop14});
    EXPECT_TRUE(pending.empty());
}

TEST(AudioQueue, SurvivesTheWrapOfTheTickCounter) {
    constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    // Requested 220 ms before the wrap, due 100 ms after it.
    const std::uint32_t requested = kMax - 119;
    std::vector<audio::Pending> pending = {{Sfx::Drop7, requested + 220u}, {Sfx::Success, kMax - 5}};
    ASSERT_EQ(pending[0].dueMs, 100u);

    // Just before the wrap only the entry due before it is taken: a plain
    // unsigned comparison would call 100 "long past" here.
    EXPECT_EQ(audio::takeDue(pending, kMax), std::vector<Sfx>{Sfx::Success});
    EXPECT_TRUE(audio::takeDue(pending, 5).empty());
    EXPECT_EQ(audio::takeDue(pending, 100), std::vector<Sfx>{Sfx::Drop7});

    // An entry that was due before the wrap and is noticed after it is late, not future.
    pending = {{Sfx::Click, kMax - 10}};
    EXPECT_EQ(audio::takeDue(pending, 20), std::vector<Sfx>{Sfx::Click});
}

TEST(AudioMoveSound, PicksTheTableByCaptureAndSide) {
    EXPECT_EQ(audio::forMove('P', false, true), Sfx::Drop0);
    EXPECT_EQ(audio::forMove('Q', false, true), Sfx::Drop8);
    EXPECT_EQ(audio::forMove('K', false, false), Sfx::Drop11);
    EXPECT_EQ(audio::forMove('N', true, true), Sfx::Drop14);
    EXPECT_EQ(audio::forMove('B', true, true), Sfx::Pickup);
    EXPECT_EQ(audio::forMove('N', true, false), Sfx::Pickup);
    EXPECT_EQ(audio::forMove('K', true, false), Sfx::Drop5);
    // Empty, lower-case and unknown letters all count as a pawn.
    EXPECT_EQ(audio::forMove(0, false, true), Sfx::Drop0);
    EXPECT_EQ(audio::forMove('n', false, false), Sfx::Drop1);
    EXPECT_EQ(audio::forMove('x', true, false), Sfx::Drop13);
}

TEST(AudioWithoutDevice, NothingIsQueuedAndVolumesAreClampedAndRemembered) {
    ASSERT_FALSE(audio::ready());
    audio::playWinFanfare();
    EXPECT_EQ(audio::pendingCount(), 0u);
    for (auto [asked, kept] : {std::pair{1.5, 1.0}, {-0.25, 0.0}, {std::nan(""), 0.0}, {0.35, 0.35}}) {
        audio::setMusicVolume(asked);
        EXPECT_EQ(audio::musicVolume(), kept) << asked;
        audio::setSfxVolume(asked);
        EXPECT_EQ(audio::sfxVolume(), kept) << asked;
    }
}

// ---- with SDL's dummy device and the generated files ------------------------------

std::string generatedAudioDir() { return paths::exeDir() + "/assets/audio"; }

class AudioDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(paths::asset(audio::kMusicFile))) << "sound assets not generated";
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::testing::internal::CaptureStderr();
        const bool ok = audio::init();
        const std::string messages = ::testing::internal::GetCapturedStderr();
        ASSERT_TRUE(ok);
        EXPECT_EQ(messages, "") << "every generated file should load";
        audio::setEnabled(true);
        audio::setSfxVolume(0.75);
        audio::setMusicVolume(0.35);
    }
    void TearDown() override {
        audio::shutdown();
        EXPECT_FALSE(audio::ready());
    }
    static int playingChannels() { return Mix_Playing(-1); }
};

TEST_F(AudioDevice, AppliesVolumesToTheMixer) {
    EXPECT_TRUE(audio::init()) << "a second init while ready";
    EXPECT_EQ(Mix_VolumeMusic(-1), 44);  // 0.35 * 128, truncated
    for (auto [asked, mixer] : {std::pair{1.5, 128}, {-1.0, 0}, {0.5, 64}}) {
        audio::setMusicVolume(asked);
        EXPECT_EQ(Mix_VolumeMusic(-1), mixer) << asked;
    }

    audio::setSfxVolume(0.5);
    audio::play(Sfx::Success);
    ASSERT_EQ(playingChannels(), 1);
    EXPECT_EQ(Mix_VolumeChunk(Mix_GetChunk(0), -1), 64);

    Mix_HaltChannel(-1);
    audio::setSfxVolume(0.0);
    audio::play(Sfx::Success);
    audio::playWinFanfare();
    EXPECT_EQ(playingChannels(), 0);
    EXPECT_EQ(audio::pendingCount(), 0u);
}

TEST_F(AudioDevice, WinFanfarePlaysItsLaterNotesFromTick) {
    audio::playWinFanfare();
    EXPECT_EQ(playingChannels(), 1);
    EXPECT_EQ(audio::pendingCount(), 3u);

    // Past 220 ms both notes due then start in one tick; the last may be due too on a slow machine.
    std::this_thread::sleep_for(std::chrono::milliseconds(240));
    const int before = playingChannels();  // the chime, 1.1 s long
    audio::tick();
    EXPECT_LE(audio::pendingCount(), 1u);
    EXPECT_EQ(playingChannels(), before + 3 - static_cast<int>(audio::pendingCount()));

    std::this_thread::sleep_for(std::chrono::milliseconds(230));
    audio::tick();
    EXPECT_EQ(audio::pendingCount(), 0u);
}

TEST_F(AudioDevice, DisabledSoundDropsEffectsAndTheWishForMusic) {
    audio::playWinFanfare();
    ASSERT_EQ(audio::pendingCount(), 3u);
    Mix_HaltChannel(-1);
    audio::setEnabled(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(460));
    audio::tick();
    EXPECT_EQ(audio::pendingCount(), 0u) << "due entries leave the queue";
    EXPECT_EQ(playingChannels(), 0) << "but are not played";
    audio::play(Sfx::Click);
    audio::playWinFanfare();
    EXPECT_EQ(playingChannels(), 0);
    EXPECT_EQ(audio::pendingCount(), 0u);

    // Music asked for while disabled starts when sound is switched on ...
    audio::startMusic();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    audio::setEnabled(true);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    // ... but switching off forgets the wish.
    audio::setEnabled(false);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    audio::setEnabled(true);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(AudioDevice, ShutdownStopsEverythingAndInitWorksAgain) {
    audio::startMusic();
    audio::playWinFanfare();
    audio::shutdown();
    EXPECT_FALSE(audio::ready());
    EXPECT_EQ(audio::pendingCount(), 0u);
    EXPECT_TRUE(audio::init());
    EXPECT_EQ(Mix_PlayingMusic(), 0) << "the wish for music ended with the shutdown";
}

// ---- failures, each in a fresh process so the asset root can be chosen -----------

// Checks inside a child process: a failed check is printed and fails the exit code.
struct ChildChecks {
    bool ok = true;
    void operator()(bool condition, const char* what) {
        if (!condition) {
            std::fprintf(stderr, "check failed: %s\n", what);
            ok = false;
        }
    }
};

// An asset tree in a temporary folder; `fill` decides what goes into assets/audio.
template <typename Fill>
fs::path makeAssetTree(Fill fill) {
    const fs::path root = fs::temp_directory_path() / ("zelvane-audio-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "assets/fonts");
    fs::create_directories(root / "assets/audio");
    fill(root / "assets/audio");
    setenv("ZELVANE_ASSET_DIR", root.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return root;
}

void writeGarbage(const fs::path& file) {
    std::ofstream out(file, std::ios::binary);
    out << "OggS this is not a real Ogg stream, only its first four bytes are";
}

class AudioFailure : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(AudioFailure, MissingDeviceReportsOnceAndStaysSilent) {
    EXPECT_EXIT(
        {
            ChildChecks check;
            setenv("SDL_AUDIODRIVER", "nonexistent", 1);
            check(!audio::init(), "init fails");
            check(!audio::ready(), "not ready");
            audio::playWinFanfare();
            check(audio::pendingCount() == 0, "nothing queued");
            audio::shutdown();
            std::exit(check.ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "^\\[audio\\] kein Klang-Subsystem: [^\n]+\n$");
}

TEST_F(AudioFailure, MissingAndCorruptFilesAreReportedAndSilenceOnlyThemselves) {
    EXPECT_EXIT(
        {
            ChildChecks check;
            const fs::path root = makeAssetTree([](const fs::path& dir) {
                for (const auto& entry : fs::directory_iterator(generatedAudioDir())) {
                    fs::copy_file(entry.path(), dir / entry.path().filename());
                }
                writeGarbage(dir / "sfx_click.ogg");
                fs::remove(dir / "sfx_pickup.ogg");
                writeGarbage(dir / "bgm_calm.ogg");
            });
            check(audio::init(), "ready");
            audio::startMusic();
            check(Mix_PlayingMusic() == 0, "corrupt music does not play");
            audio::play(Sfx::Click);
            audio::play(Sfx::Pickup);
            check(Mix_Playing(-1) == 0, "corrupt and missing effects are silent");
            audio::play(Sfx::Illegal);
            check(Mix_Playing(-1) == 1, "an intact effect still plays");
            audio::shutdown();
            fs::remove_all(root);
            std::exit(check.ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "^\\[audio\\] Effekt fehlt: [^\n]*/assets/audio/sfx_click\\.ogg \\([^\n]*\\)\n"
        "\\[audio\\] Effekt fehlt: [^\n]*/assets/audio/sfx_pickup\\.ogg \\([^\n]*\\)\n"
        "\\[audio\\] Musik fehlt: [^\n]*/assets/audio/bgm_calm\\.ogg \\([^\n]*\\)\n$");
}

// ---- measurements of the generated files ------------------------------------------

struct Decoded {
    int rate = 0;
    std::vector<std::vector<float>> channels;
    std::size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
    double seconds() const { return rate ? static_cast<double>(frames()) / rate : 0.0; }
};

Decoded decode(const std::string& path) {
    Decoded d;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return d;
    const vorbis_info* info = ov_info(&file, -1);
    d.rate = static_cast<int>(info->rate);
    d.channels.resize(static_cast<std::size_t>(info->channels));
    int section = 0;
    float** pcm = nullptr;
    long got = 0;
    while ((got = ov_read_float(&file, &pcm, 4096, &section)) > 0) {
        for (std::size_t c = 0; c < d.channels.size(); ++c) d.channels[c].insert(d.channels[c].end(), pcm[c], pcm[c] + got);
    }
    ov_clear(&file);
    return d;
}

double dbfs(double gain) { return 20.0 * std::log10(std::max(gain, 1e-12)); }

double peakOf(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double p = 0.0;
    for (std::size_t i = from; i < to && i < x.size(); ++i) p = std::max(p, static_cast<double>(std::fabs(x[i])));
    return p;
}

double rmsOf(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

// RMS of the loudest 100 ms: a simple stand-in for momentary loudness.
double loudness(const std::vector<float>& x, int rate) {
    const std::size_t w = static_cast<std::size_t>(rate / 10);
    double best = 0.0;
    if (x.size() < w) return rmsOf(x, 0, x.size()) * std::sqrt(static_cast<double>(x.size()) / w);
    for (std::size_t start = 0; start + w <= x.size(); start += w / 10) best = std::max(best, rmsOf(x, start, start + w));
    return std::max(best, rmsOf(x, x.size() - w, x.size()));
}

// Brightness as the power-weighted RMS frequency of the whole sound: the
// energy of the first difference (a derivative) over the energy of the signal.
double rmsFrequency(const std::vector<float>& x, int rate) {
    double slope = 0.0;
    double energy = 0.0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        const double step = static_cast<double>(x[i]) - x[i - 1];
        slope += step * step;
        energy += static_cast<double>(x[i]) * x[i];
    }
    return rate / (2.0 * M_PI) * std::sqrt(slope / energy);
}

TEST(AudioAssets, EffectsAreShortCleanAndEquallyLoud) {
    std::vector<double> levels;
    for (Sfx sfx : audio::kAllSfx) {
        const std::string path = paths::exeDir() + "/" + audio::fileOf(sfx);
        SCOPED_TRACE(path);
        const Decoded d = decode(path);
        ASSERT_EQ(d.rate, 44100);
        ASSERT_EQ(d.channels.size(), 1u);
        EXPECT_GT(d.seconds(), 0.05);
        EXPECT_LT(d.seconds(), 1.2);
        const std::vector<float>& x = d.channels[0];
        const double peak = peakOf(x, 0, x.size());
        EXPECT_LT(dbfs(peak), -1.0);
        // Starts and ends at silence: no click from a cut waveform.
        EXPECT_LT(std::fabs(x.front()), 0.01);
        EXPECT_LT(peakOf(x, 0, 10), 0.15 * peak) << "fade-in";
        EXPECT_LT(std::fabs(x.back()), 0.01);
        EXPECT_LT(peakOf(x, x.size() - 88, x.size()), 0.05 * peak) << "fade-out";
        levels.push_back(dbfs(loudness(x, d.rate)));
    }
    const auto [quietest, loudest] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_LT(*loudest - *quietest, 3.0) << "from " << *quietest << " to " << *loudest << " dBFS";
}

TEST(AudioAssets, HeavierPiecesSoundLowerAndEveryDropDiffers) {
    std::vector<double> brightness;
    for (int i = 0; i < 15; ++i) {
        const Decoded d = decode(paths::exeDir() + "/assets/audio/sfx_drop_" + std::to_string(i) + ".ogg");
        ASSERT_EQ(d.channels.size(), 1u) << "drop " << i;
        brightness.push_back(rmsFrequency(d.channels[0], d.rate));
    }
    // Drops 0-11 are pawn..king, the player's at even and the opponent's at odd indices.
    for (int side = 0; side < 2; ++side) {
        for (int piece = 1; piece < 6; ++piece) {
            EXPECT_LT(brightness[2 * piece + side], brightness[2 * (piece - 1) + side]) << "piece " << piece << " side " << side;
        }
    }
    for (int a = 0; a < 15; ++a) {
        for (int b = a + 1; b < 15; ++b) {
            EXPECT_GT(std::fabs(brightness[a] - brightness[b]) / brightness[a], 0.02) << "drops " << a << " and " << b;
        }
    }
}

TEST(AudioAssets, MusicIsALongCalmSeamlessLoop) {
    const Decoded d = decode(paths::exeDir() + "/" + audio::kMusicFile);
    ASSERT_EQ(d.rate, 44100);
    ASSERT_EQ(d.channels.size(), 2u);
    EXPECT_GE(d.seconds(), 60.0);
    const std::size_t n = d.frames();
    const std::size_t halfSecond = static_cast<std::size_t>(d.rate / 2);
    for (const std::vector<float>& x : d.channels) {
        EXPECT_LT(dbfs(peakOf(x, 0, n)), -1.0);
        const double rms = dbfs(rmsOf(x, 0, n));
        EXPECT_GT(rms, -32.0);
        EXPECT_LT(rms, -14.0);

        // Across the seam the first sample continues the last two like any neighbours do.
        double typicalStep = 0.0;
        for (std::size_t i = 1; i < n; ++i) typicalStep += std::fabs(x[i] - x[i - 1]);
        typicalStep /= static_cast<double>(n - 1);
        EXPECT_LT(std::fabs(x[0] - x[n - 1]), 3.0 * typicalStep);
        EXPECT_LT(std::fabs(x[0] - (2.0 * x[n - 1] - x[n - 2])), 3.0 * typicalStep);
        // No fade at either end: the music is as present there as anywhere.
        EXPECT_NEAR(dbfs(rmsOf(x, 0, halfSecond)), rms, 6.0);
        EXPECT_NEAR(dbfs(rmsOf(x, n - halfSecond, n)), rms, 6.0);
    }
}

}  // namespace
