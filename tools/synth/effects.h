// The game's short sound effects, each built from a few synthesized parts.
#pragma once

#include <string>
#include <vector>

#include "synth/dsp.h"

namespace synth {

struct Effect {
    std::string file;  // file name inside assets/audio
    Buffer samples;    // mono
};

// All 22 effects, already faded and loudness-matched.
std::vector<Effect> makeEffects();

}  // namespace synth
