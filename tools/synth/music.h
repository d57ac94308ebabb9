// The calm background loop.
#pragma once

#include "synth/dsp.h"

namespace synth {

struct StereoLoop {
    Buffer left;
    Buffer right;
};

// A loop of 24 bars at 75 beats per minute (76.8 s). Every note that rings past
// the end is mixed into the start and the reverb runs in its steady state, so
// the last sample flows straight into the first when the track repeats.
StereoLoop makeCalmLoop();

}  // namespace synth
