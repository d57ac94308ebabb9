// Writes the game's sound effects and music as Ogg Vorbis files:
//   synth <output directory>
#include <cstdio>
#include <string>

#include "synth/effects.h"
#include "synth/music.h"
#include "synth/ogg_writer.h"

namespace {

void report(const std::string& name, const synth::Buffer& samples) {
    std::printf("%-18s %6.3f s  peak %6.1f dBFS  loudest 100 ms %6.1f dBFS\n", name.c_str(),
                static_cast<double>(samples.size()) / synth::kSampleRate, synth::gainToDb(synth::peak(samples)),
                synth::gainToDb(synth::loudestWindowRms(samples, 0.1)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: synth <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    for (const synth::Effect& effect : synth::makeEffects()) {
        report(effect.file, effect.samples);
        ok = synth::writeOgg(dir + "/" + effect.file, effect.samples, {}, effect.file) && ok;
    }
    const synth::StereoLoop music = synth::makeCalmLoop();
    report("bgm_calm.ogg", music.left);
    ok = synth::writeOgg(dir + "/bgm_calm.ogg", music.left, music.right, "calm") && ok;
    if (!ok) std::fprintf(stderr, "synth: could not write every file into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
