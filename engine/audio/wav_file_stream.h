#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/stream_decoder.h"

namespace me {

// A PCM WAV file (8 or 16-bit integers, 32-bit floats) read as it plays.
// Only the headers are read at open; the data chunk is read in pieces.
class WavFileStream final : public StreamDecoder {
public:
    static std::unique_ptr<StreamDecoder> open(const std::string& path, AudioError& error);
    ~WavFileStream() override;
    WavFileStream(const WavFileStream&) = delete;
    WavFileStream& operator=(const WavFileStream&) = delete;

    int32_t frequency() const override { return m_frequency; }
    int32_t channels() const override { return m_channels; }
    size_t read(float* out, size_t frames) override;
    bool rewind() override;

private:
    WavFileStream() = default;
    AudioError read_headers();
    AudioError read_format(uint32_t chunk_size);
    float sample_at(const uint8_t* bytes) const;

    FILE* m_file = nullptr;
    int32_t m_frequency = 0;
    int32_t m_channels = 0;
    uint16_t m_source_channels = 0;
    uint16_t m_format_tag = 0;
    uint16_t m_bits = 0;
    long m_data_start = 0;
    uint64_t m_data_frames = 0;
    uint64_t m_next_frame = 0;
    std::vector<uint8_t> m_buffer;
};

}  // namespace me
