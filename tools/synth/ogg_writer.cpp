#include "synth/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

namespace synth {
namespace {

constexpr float kQuality = 0.5f;   // about 160 kbit/s for stereo music
constexpr int kBlockFrames = 4096;
constexpr int kStreamSerial = 20260;  // fixed, so repeated builds write identical files

struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
};

bool writePages(Encoder& e, std::FILE* file, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&e.stream, &page) : ogg_stream_pageout(&e.stream, &page)) {
        if (std::fwrite(page.header, 1, page.header_len, file) != static_cast<size_t>(page.header_len)) return false;
        if (std::fwrite(page.body, 1, page.body_len, file) != static_cast<size_t>(page.body_len)) return false;
    }
    return true;
}

bool drainBlocks(Encoder& e, std::FILE* file) {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&e.dsp, &e.block) == 1) {
        vorbis_analysis(&e.block, nullptr);
        vorbis_bitrate_addblock(&e.block);
        while (vorbis_bitrate_flushpacket(&e.dsp, &packet)) {
            ogg_stream_packetin(&e.stream, &packet);
            if (!writePages(e, file, false)) return false;
        }
    }
    return true;
}

bool writeHeaders(Encoder& e, std::FILE* file) {
    ogg_packet id;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&e.dsp, &e.comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&e.stream, &id);
    ogg_stream_packetin(&e.stream, &comments);
    ogg_stream_packetin(&e.stream, &codebooks);
    // Audio data must start on a fresh page.
    return writePages(e, file, true);
}

bool encodeSamples(Encoder& e, std::FILE* file, const Buffer& left, const Buffer& right) {
    const bool stereo = !right.empty();
    for (std::size_t pos = 0; pos < left.size(); pos += kBlockFrames) {
        const int count = static_cast<int>(std::min<std::size_t>(kBlockFrames, left.size() - pos));
        float** in = vorbis_analysis_buffer(&e.dsp, count);
        std::copy_n(left.data() + pos, count, in[0]);
        if (stereo) std::copy_n(right.data() + pos, count, in[1]);
        vorbis_analysis_wrote(&e.dsp, count);
        if (!drainBlocks(e, file)) return false;
    }
    vorbis_analysis_wrote(&e.dsp, 0);  // end of stream
    return drainBlocks(e, file) && writePages(e, file, true);
}

}  // namespace

bool writeOgg(const std::string& path, const Buffer& left, const Buffer& right, const std::string& title) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const int channels = right.empty() ? 1 : 2;
    Encoder e;
    vorbis_info_init(&e.info);
    bool ok = vorbis_encode_init_vbr(&e.info, channels, kSampleRate, kQuality) == 0;
    if (ok) {
        vorbis_comment_init(&e.comment);
        vorbis_comment_add_tag(&e.comment, "TITLE", title.c_str());
        vorbis_comment_add_tag(&e.comment, "ARTIST", "Orlavan's Chess sound generator");
        vorbis_analysis_init(&e.dsp, &e.info);
        vorbis_block_init(&e.dsp, &e.block);
        ogg_stream_init(&e.stream, kStreamSerial);
        ok = writeHeaders(e, file) && encodeSamples(e, file, left, right);
        ogg_stream_clear(&e.stream);
        vorbis_block_clear(&e.block);
        vorbis_dsp_clear(&e.dsp);
        vorbis_comment_clear(&e.comment);
    }
    vorbis_info_clear(&e.info);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

}  // namespace synth
