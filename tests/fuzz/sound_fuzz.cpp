// Fuzz target for the sound decoders: every input is decoded whole as WAV and
// as Ogg Vorbis (whatever its first bytes say), and read as a stream from a
// file. A decoder may refuse an input, but must give a reason, must return
// what its header promised and must not touch memory outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/ogg_decoder.h"
#include "audio/stream_decoder.h"
#include "audio/wav_decoder.h"

namespace {

void check_whole(const me::DecodedSound& decoded) {
    if (!decoded.ok() && decoded.detail.empty()) std::abort();
    if (!decoded.ok()) return;
    const me::PcmSound& sound = decoded.sound;
    if (sound.channels < 1 || sound.channels > 2 || sound.frequency <= 0) std::abort();
    if (sound.samples.size() % static_cast<size_t>(sound.channels) != 0) std::abort();
}

const std::string& stream_path() {
    static const std::string path = "/tmp/quillmoor-sound-fuzz-" + std::to_string(getpid());
    static const bool removed_at_exit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removed_at_exit;
    return path;
}

void check_stream(std::span<const uint8_t> file) {
    FILE* out = std::fopen(stream_path().c_str(), "wb");
    if (out == nullptr) return;
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    me::AudioError error = me::AudioError::Ok;
    const std::unique_ptr<me::StreamDecoder> stream = me::open_stream_decoder(stream_path(), error);
    if (stream == nullptr) {
        if (error == me::AudioError::Ok) std::abort();
        return;
    }
    std::vector<float> buffer(2 * 1024);
    // Bounded, so that a looping decoder bug shows as a crash, not a hang.
    for (int round = 0; round < 4096 && stream->read(buffer.data(), 1024) > 0; ++round) {}
    stream->rewind();
    stream->read(buffer.data(), 1024);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    check_whole(me::decode_wav(file));
    check_whole(me::decode_ogg(file));
    check_stream(file);
    return 0;
}
