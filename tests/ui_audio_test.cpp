// Sound: the delayed-effect queue, the move sounds, and the behaviour with and
// without a device or its files.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <limits>
#include <thread>
#include <utility>
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
    // Facts: piece, capture, by the player, mate, check, promoted, castled.
    for (auto [facts, sound] : {std::pair{audio::MoveFacts{'Q', true, true, true, true, true, false}, Success},
                                {{'P', false, true, false, true, true, false}, Pickup},
                                {{'P', true, false, false, false, true, false}, Star2},
                                {{'K', false, true, false, false, false, true}, Drop13},
                                {{'N', true, false, false, false, false, false}, Pickup},
                                {{'R', false, true, false, false, false, false}, Drop6}})
        EXPECT_EQ(audio::forPlayedMove(facts), sound) << facts.piece;
}

// With or without a device (the child below checks that nothing is queued without one).
TEST(AudioVolume, VolumesAreClampedAndRemembered) {
    for (auto [asked, kept] : {std::pair{1.5, 1.0}, {-0.25, 0.0}, {std::nan(""), 0.0}, {0.35, 0.35}}) {
        audio::setMusicVolume(asked);
        EXPECT_EQ(audio::musicVolume(), kept) << asked;
        audio::setSfxVolume(asked);
        EXPECT_EQ(audio::sfxVolume(), kept) << asked;
    }
}

// Runs in a child: without a device the game stays silent and says so once; with
// a device, a missing or corrupt file silences only itself.
TEST(AudioFailure, MissingDeviceOrFilesAreReportedAndSilenceOnlyThemselves) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto child = [] {
        bool ok = true;
        setenv("SDL_AUDIODRIVER", "nonexistent", 1);
        ok &= !audio::init();
        audio::playWinFanfare();
        ok &= audio::pendingCount() == 0;
        const fs::path root = fs::temp_directory_path() / ("zelvane-audio-" + std::to_string(::getpid()));
        fs::create_directories(root / "assets/fonts");
        fs::copy(paths::exeDir() + "/assets/audio", root / "assets/audio");
        for (const char* name : {"sfx_click.ogg", "bgm_calm.ogg"})
            std::ofstream(root / "assets/audio" / name, std::ios::binary) << "OggS but nothing more";
        fs::remove(root / "assets/audio/sfx_pickup.ogg");
        setenv("ZELVANE_ASSET_DIR", root.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ok &= audio::init();
        audio::startMusic();
        audio::play(Sfx::Click);
        audio::play(Sfx::Pickup);
        ok &= Mix_PlayingMusic() == 0 && Mix_Playing(-1) == 0;
        audio::play(Sfx::Illegal);
        ok &= Mix_Playing(-1) == 1;
        audio::shutdown();
        fs::remove_all(root);
        std::exit(ok ? 0 : 1);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0),
                "^\\[audio\\] kein Klang-Subsystem: [^\n]+\n"
                "\\[audio\\] Effekt fehlt: [^\n]*/sfx_click\\.ogg \\([^\n]*\\)\n"
                "\\[audio\\] Effekt fehlt: [^\n]*/sfx_pickup\\.ogg \\([^\n]*\\)\n"
                "\\[audio\\] Musik fehlt: [^\n]*/bgm_calm\\.ogg \\([^\n]*\\)\n$");
}

class AudioDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(paths::asset(audio::kMusicFile))) << "sound assets not generated";
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

// The fanfare's later notes start from the tick that finds them due. At volume
// 0 or disabled nothing plays, and due entries still leave the queue.
TEST_F(AudioDevice, FanfareNotesPlayFromTickAndDisablingSilencesAll) {
    audio::setSfxVolume(0.0);
    audio::playWinFanfare();
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(audio::pendingCount(), 0u);
    audio::setSfxVolume(0.5);
    audio::playWinFanfare();
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_EQ(audio::pendingCount(), 3u);
    // Past 220 ms both notes due then start in one tick; the last may be due too on a slow machine.
    std::this_thread::sleep_for(std::chrono::milliseconds(240));
    const int before = Mix_Playing(-1);
    audio::tick();
    EXPECT_LE(audio::pendingCount(), 1u);
    EXPECT_EQ(Mix_Playing(-1), before + 3 - static_cast<int>(audio::pendingCount()));

    audio::playWinFanfare();
    Mix_HaltChannel(-1);
    audio::setEnabled(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(460));
    audio::tick();
    EXPECT_EQ(audio::pendingCount(), 0u);
    audio::play(Sfx::Click);
    audio::playWinFanfare();
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(audio::pendingCount(), 0u);
}

// Music asked for while disabled starts when sound comes on; switching off, or
// a shutdown, forgets the wish.
TEST_F(AudioDevice, TheWishForMusicLastsUntilSoundIsSwitchedOff) {
    audio::setEnabled(false);
    audio::startMusic();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    audio::setEnabled(true);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    audio::setEnabled(false);
    audio::setEnabled(true);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    audio::startMusic();
    audio::playWinFanfare();
    audio::shutdown();
    EXPECT_EQ(audio::pendingCount(), 0u) << "a shutdown drops the queue";
    EXPECT_TRUE(audio::init());
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

}  // namespace
