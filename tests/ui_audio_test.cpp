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

TEST(AudioQueue, TakesDueEntriesInOrderAcrossTheTickWrap) {
    std::vector<audio::Pending> pending = {
        {Sfx::Drop7, 1000}, {Sfx::Drop14, 1440}, {Sfx::Drop10, 1000}, {Sfx::Star1, 999}};
    EXPECT_TRUE(audio::takeDue(pending, 998).empty());
    EXPECT_EQ(audio::takeDue(pending, 1000), (std::vector<Sfx>{Sfx::Drop7, Sfx::Drop10, Sfx::Star1}));
    EXPECT_TRUE(audio::takeDue(pending, 1439).empty());
    EXPECT_EQ(audio::takeDue(pending, 1440), std::vector<Sfx>{Sfx::Drop14});
    EXPECT_TRUE(pending.empty());

    // Due 100 ms after the 32-bit tick counter wraps: not "long past" just before it.
    constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    pending = {{Sfx::Drop7, 100}, {Sfx::Success, kMax - 5}};
    EXPECT_EQ(audio::takeDue(pending, kMax), std::vector<Sfx>{Sfx::Success});
    EXPECT_TRUE(audio::takeDue(pending, 5).empty());
    EXPECT_EQ(audio::takeDue(pending, 100), std::vector<Sfx>{Sfx::Drop7});
    pending = {{Sfx::Click, kMax - 10}};  // due before the wrap, noticed after it
    EXPECT_EQ(audio::takeDue(pending, 20), std::vector<Sfx>{Sfx::Click});
}

TEST(AudioMoveSound, EveryPieceHasItsSoundBySideAndCapture) {
    using enum Sfx;
    // Rows: player's move, opponent's move, player's capture, opponent's capture; columns P N B R Q K.
    const Sfx table[4][6] = {{Drop0, Drop2, Drop4, Drop6, Drop8, Drop10},
                             {Drop1, Drop3, Drop5, Drop7, Drop9, Drop11},
                             {Drop12, Drop14, Pickup, Drop10, Drop8, Drop6},
                             {Drop13, Pickup, Drop11, Drop9, Drop7, Drop5}};
    for (int row = 0; row < 4; ++row) {
        const bool capture = row >= 2, byPlayer = row % 2 == 0;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(audio::forMove("PNBRQK"[i], capture, byPlayer), table[row][i]) << row << i;
        // Empty, lower-case and unknown letters count as a pawn.
        for (char odd : {'\0', 'n', 'x'}) EXPECT_EQ(audio::forMove(odd, capture, byPlayer), table[row][0]) << row << odd;
    }
}

// A mate outranks a check, a check a promotion, a promotion a castle; anything else drops.
TEST(AudioMoveSound, SpecialMovesHaveTheirOwnSoundInOrder) {
    using enum Sfx;
    const struct {
        audio::MoveFacts facts;
        Sfx sound;
    } cases[] = {
        {{'Q', true, true, true, true, true, false}, Success},
        {{'P', false, true, false, true, true, false}, Pickup},
        {{'P', true, false, false, false, true, false}, Star2},
        {{'K', false, true, false, false, false, true}, Drop13},
        {{'N', true, false, false, false, false, false}, Pickup},
        {{'R', false, true, false, false, false, false}, Drop6},
    };
    for (const auto& c : cases) EXPECT_EQ(audio::forPlayedMove(c.facts), c.sound) << c.facts.piece;
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

class AudioDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(paths::asset(audio::kMusicFile))) << "sound assets not generated";
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::testing::internal::CaptureStderr();
        const bool ok = audio::init();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "every generated file should load";
        ASSERT_TRUE(ok);
        audio::setEnabled(true);
        audio::setSfxVolume(0.75);
        audio::setMusicVolume(0.35);
    }
    void TearDown() override {
        audio::shutdown();
        EXPECT_FALSE(audio::ready());
    }
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
    ASSERT_EQ(Mix_Playing(-1), 1);
    EXPECT_EQ(Mix_VolumeChunk(Mix_GetChunk(0), -1), 64);
    Mix_HaltChannel(-1);
    audio::setSfxVolume(0.0);
    audio::play(Sfx::Success);
    audio::playWinFanfare();
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(audio::pendingCount(), 0u);
}

TEST_F(AudioDevice, WinFanfarePlaysItsLaterNotesFromTick) {
    audio::playWinFanfare();
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_EQ(audio::pendingCount(), 3u);
    // Past 220 ms both notes due then start in one tick; the last may be due too on a slow machine.
    std::this_thread::sleep_for(std::chrono::milliseconds(240));
    const int before = Mix_Playing(-1);
    audio::tick();
    EXPECT_LE(audio::pendingCount(), 1u);
    EXPECT_EQ(Mix_Playing(-1), before + 3 - static_cast<int>(audio::pendingCount()));
    std::this_thread::sleep_for(std::chrono::milliseconds(230));
    audio::tick();
    EXPECT_EQ(audio::pendingCount(), 0u);
}

TEST_F(AudioDevice, DisablingDropsEffectsAndTheWishForMusicAndShutdownEndsAll) {
    audio::playWinFanfare();
    Mix_HaltChannel(-1);
    audio::setEnabled(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(460));
    audio::tick();
    EXPECT_EQ(audio::pendingCount(), 0u) << "due entries leave the queue";
    audio::play(Sfx::Click);
    audio::playWinFanfare();
    EXPECT_EQ(Mix_Playing(-1), 0) << "but nothing is played";
    EXPECT_EQ(audio::pendingCount(), 0u);

    audio::startMusic();  // asked for while disabled: starts when sound comes on
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    audio::setEnabled(true);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    audio::setEnabled(false);  // switching off forgets the wish
    audio::setEnabled(true);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    audio::startMusic();
    audio::playWinFanfare();
    audio::shutdown();
    EXPECT_EQ(audio::pendingCount(), 0u);
    EXPECT_TRUE(audio::init());
    EXPECT_EQ(Mix_PlayingMusic(), 0) << "the wish for music ended with the shutdown";
}

// Checks inside a death-test child: a failed one is printed and fails the exit code.
struct ChildChecks {
    bool ok = true;
    void operator()(bool condition, const char* what) {
        if (!condition) std::fprintf(stderr, "check failed: %s\n", what), ok = false;
    }
};

TEST(AudioFailure, MissingDeviceReportsOnceAndStaysSilent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ChildChecks check;
            setenv("SDL_AUDIODRIVER", "nonexistent", 1);
            check(!audio::init() && !audio::ready(), "init fails");
            audio::playWinFanfare();
            check(audio::pendingCount() == 0, "nothing queued");
            audio::shutdown();
            std::exit(check.ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "^\\[audio\\] kein Klang-Subsystem: [^\n]+\n$");
}

TEST(AudioFailure, MissingAndCorruptFilesAreReportedAndSilenceOnlyThemselves) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ChildChecks check;
            const fs::path root = fs::temp_directory_path() / ("zelvane-audio-" + std::to_string(::getpid()));
            fs::remove_all(root);
            fs::create_directories(root / "assets/fonts");
            fs::copy(paths::exeDir() + "/assets/audio", root / "assets/audio");
            for (const char* name : {"sfx_click.ogg", "bgm_calm.ogg"})
                std::ofstream(root / "assets/audio" / name, std::ios::binary) << "OggS but nothing more";
            fs::remove(root / "assets/audio/sfx_pickup.ogg");
            setenv("ZELVANE_ASSET_DIR", root.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
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

// The channels of an Ogg Vorbis file at 44.1 kHz; empty when it does not decode.
std::vector<std::vector<float>> decode(const std::string& name) {
    std::vector<std::vector<float>> channels;
    OggVorbis_File file;
    if (ov_fopen((paths::exeDir() + "/" + name).c_str(), &file) != 0) return channels;
    if (ov_info(&file, -1)->rate == 44100) channels.resize(static_cast<std::size_t>(ov_info(&file, -1)->channels));
    int section = 0;
    float** pcm = nullptr;
    for (long got; !channels.empty() && (got = ov_read_float(&file, &pcm, 4096, &section)) > 0;)
        for (std::size_t c = 0; c < channels.size(); ++c) channels[c].insert(channels[c].end(), pcm[c], pcm[c] + got);
    ov_clear(&file);
    return channels;
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

TEST(AudioAssets, EffectsAreShortCleanAndEquallyLoud) {
    constexpr std::size_t kWindow = 4410;  // loudness: RMS of the loudest 100 ms
    std::vector<double> levels;
    for (Sfx sfx : audio::kAllSfx) {
        SCOPED_TRACE(audio::fileOf(sfx));
        const auto channels = decode(audio::fileOf(sfx));
        ASSERT_EQ(channels.size(), 1u);
        const std::vector<float>& x = channels[0];
        EXPECT_GT(x.size(), 44100 * 0.05);
        EXPECT_LT(x.size(), 44100 * 1.2);
        const double peak = peakOf(x, 0, x.size());
        EXPECT_LT(dbfs(peak), -1.0);
        // Starts and ends at silence: no click from a cut waveform.
        EXPECT_LT(peakOf(x, 0, 10), 0.15 * peak) << "fade-in";
        EXPECT_LT(peakOf(x, x.size() - 88, x.size()), 0.05 * peak) << "fade-out";
        double loudest = x.size() < kWindow ? rmsOf(x, 0, x.size()) * std::sqrt(double(x.size()) / kWindow) : 0.0;
        for (std::size_t at = 0; at + kWindow <= x.size(); at += kWindow / 10) loudest = std::max(loudest, rmsOf(x, at, at + kWindow));
        levels.push_back(dbfs(loudest));
    }
    const auto [quietest, loudest] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_LT(*loudest - *quietest, 3.0) << "from " << *quietest << " to " << *loudest << " dBFS";
}

TEST(AudioAssets, HeavierPiecesSoundLowerAndEveryDropDiffers) {
    // Brightness: the power-weighted RMS frequency, from the energy of the first difference.
    std::vector<double> brightness;
    for (int i = 0; i < 15; ++i) {
        const auto channels = decode("assets/audio/sfx_drop_" + std::to_string(i) + ".ogg");
        ASSERT_EQ(channels.size(), 1u) << "drop " << i;
        const std::vector<float>& x = channels[0];
        double slope = 0.0, energy = 0.0;
        for (std::size_t j = 1; j < x.size(); ++j) {
            slope += (double(x[j]) - x[j - 1]) * (double(x[j]) - x[j - 1]);
            energy += double(x[j]) * x[j];
        }
        brightness.push_back(std::sqrt(slope / energy));
    }
    // Drops 0-11 are pawn..king, the player's at even and the opponent's at odd indices.
    for (int i = 2; i < 12; ++i) EXPECT_LT(brightness[i], brightness[i - 2]) << "drop " << i;
    for (int a = 0; a < 15; ++a)
        for (int b = a + 1; b < 15; ++b)
            EXPECT_GT(std::fabs(brightness[a] - brightness[b]) / brightness[a], 0.02) << "drops " << a << " and " << b;
}

TEST(AudioAssets, MusicIsALongCalmSeamlessLoop) {
    const auto channels = decode(audio::kMusicFile);
    ASSERT_EQ(channels.size(), 2u);
    for (const std::vector<float>& x : channels) {
        const std::size_t n = x.size(), half = 22050;
        EXPECT_GE(n, 60u * 44100);
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
        // No fade at either end.
        EXPECT_NEAR(dbfs(rmsOf(x, 0, half)), rms, 6.0);
        EXPECT_NEAR(dbfs(rmsOf(x, n - half, n)), rms, 6.0);
    }
}

}  // namespace
