#include "audio/ogg_decoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace me {

namespace {

constexpr size_t kPageHeaderSize = 27;
constexpr uint8_t kEndOfStreamFlag = 0x04;
constexpr int kDecodeChunkFrames = 4096;

// Where vorbisfile reads a file held in memory.
struct MemoryFile {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

size_t read_memory(void* destination, size_t size, size_t count, void* source) {
    auto* file = static_cast<MemoryFile*>(source);
    if (size == 0)
        return 0;
    const size_t items = std::min(count, (file->bytes.size() - file->position) / size);
    std::memcpy(destination, file->bytes.data() + file->position, items * size);
    file->position += items * size;
    return items;
}

int seek_memory(void* source, ogg_int64_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(source);
    const auto size = static_cast<ogg_int64_t>(file->bytes.size());
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<ogg_int64_t>(file->position);
    else if (whence == SEEK_END)
        base = size;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > size)
        return -1;
    file->position = static_cast<size_t>(target);
    return 0;
}

long tell_memory(void* source) { return static_cast<long>(static_cast<MemoryFile*>(source)->position); }

// The last page must end exactly at the end of the file and close the stream.
bool ends_with_final_page(std::span<const uint8_t> file) {
    static constexpr uint8_t kCapture[] = {'O', 'g', 'g', 'S'};
    const auto found = std::find_end(file.begin(), file.end(), std::begin(kCapture), std::end(kCapture));
    if (found == file.end())
        return false;
    const size_t start = static_cast<size_t>(found - file.begin());
    if (file.size() - start < kPageHeaderSize)
        return false;
    const uint8_t segments = file[start + 26];
    if (file.size() - start < kPageHeaderSize + segments)
        return false;
    size_t length = kPageHeaderSize + segments;
    for (size_t i = 0; i < segments; ++i)
        length += file[start + kPageHeaderSize + i];
    return start + length == file.size() && (file[start + 5] & kEndOfStreamFlag) != 0;
}

std::string vorbis_error_text(long code) {
    switch (code) {
    case OV_EREAD: return "read error";
    case OV_ENOTVORBIS: return "not Vorbis data";
    case OV_EVERSION: return "unsupported Vorbis version";
    case OV_EBADHEADER: return "invalid Vorbis header";
    case OV_HOLE: return "interruption in the data";
    case OV_EBADLINK: return "invalid stream section";
    default: return "Vorbis error " + std::to_string(code);
    }
}

DecodedSound decode_opened(OggVorbis_File& vorbis) {
    const vorbis_info* info = ov_info(&vorbis, -1);
    if (info == nullptr || info->channels <= 0 || info->rate <= 0)
        return decode_failure(AudioError::Format, "no channels or no rate");
    DecodedSound decoded;
    decoded.sound.frequency = static_cast<int32_t>(info->rate);
    decoded.sound.channels = info->channels == 1 ? 1 : 2;
    const int right = vorbis_right_channel(info->channels);
    std::vector<float>& samples = decoded.sound.samples;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&vorbis, &pcm, kDecodeChunkFrames, &section);
        if (frames == 0)
            return decoded;
        if (frames < 0)
            return decode_failure(AudioError::FileForm, vorbis_error_text(frames));
        if (ov_info(&vorbis, section)->channels != info->channels)
            return decode_failure(AudioError::Format, "the channel count changes inside the file");
        if (samples.size() + static_cast<size_t>(frames) * 2 > kMaxDecodedSamples)
            return decode_failure(AudioError::Memory, "the sound is too long");
        for (long i = 0; i < frames; ++i) {
            samples.push_back(pcm[0][i]);
            if (decoded.sound.channels == 2)
                samples.push_back(pcm[right][i]);
        }
    }
}

}  // namespace

int vorbis_right_channel(int channels) { return channels == 2 || channels == 4 ? 1 : channels == 1 ? 0 : 2; }

DecodedSound decode_ogg(std::span<const uint8_t> file) {
    if (!ends_with_final_page(file))
        return decode_failure(AudioError::Truncated, "the last Ogg page is incomplete or missing");
    MemoryFile memory{file, 0};
    const ov_callbacks callbacks{read_memory, seek_memory, nullptr, tell_memory};
    OggVorbis_File vorbis;
    const int opened = ov_open_callbacks(&memory, &vorbis, nullptr, 0, callbacks);
    if (opened != 0)
        return decode_failure(AudioError::FileForm, vorbis_error_text(opened));
    DecodedSound decoded = decode_opened(vorbis);
    ov_clear(&vorbis);
    return decoded;
}

}  // namespace me
