// Encodes float samples in -1..1 as an Ogg Vorbis file.
#pragma once

#include <string>

#include "synth/dsp.h"

namespace synth {

// Mono when right is empty, otherwise stereo (both channels of equal length).
// Returns false when the file cannot be written.
bool writeOgg(const std::string& path, const Buffer& left, const Buffer& right, const std::string& title);

}  // namespace synth
