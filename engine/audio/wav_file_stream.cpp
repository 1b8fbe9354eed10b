#include "audio/wav_file_stream.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace me {

namespace {

constexpr uint16_t kPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kExtensible = 0xFFFE;
constexpr uint32_t kMinFormatSize = 16;
constexpr size_t kReadChunkFrames = 4096;

uint16_t le16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }
uint32_t le32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

bool read_exact(FILE* file, uint8_t* bytes, size_t count) { return std::fread(bytes, 1, count, file) == count; }

bool supported(uint16_t tag, uint16_t bits) {
    return (tag == kPcm && (bits == 8 || bits == 16)) || (tag == kFloat && bits == 32);
}

}  // namespace

std::unique_ptr<StreamDecoder> WavFileStream::open(const std::string& path, AudioError& error) {
    std::unique_ptr<WavFileStream> stream(new WavFileStream());
    stream->m_file = std::fopen(path.c_str(), "rb");
    if (stream->m_file == nullptr) {
        error = AudioError::FileOpen;
        return nullptr;
    }
    error = stream->read_headers();
    if (error != AudioError::Ok)
        return nullptr;
    return stream;
}

WavFileStream::~WavFileStream() {
    if (m_file != nullptr)
        std::fclose(m_file);
}

AudioError WavFileStream::read_headers() {
    uint8_t riff[12];
    if (!read_exact(m_file, riff, sizeof(riff)) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
        return AudioError::FileForm;
    for (;;) {
        uint8_t header[8];
        if (!read_exact(m_file, header, sizeof(header)))
            return AudioError::FileForm;
        const uint32_t size = le32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (const AudioError error = read_format(size); error != AudioError::Ok)
                return error;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (m_source_channels == 0)
                return AudioError::FileForm;
            m_data_start = std::ftell(m_file);
            m_data_frames = size / (static_cast<uint64_t>(m_source_channels) * (m_bits / 8));
            return AudioError::Ok;
        } else if (size > LONG_MAX - 1 || std::fseek(m_file, static_cast<long>(size + (size & 1)), SEEK_CUR) != 0) {
            return AudioError::FileForm;
        }
    }
}

AudioError WavFileStream::read_format(uint32_t chunk_size) {
    if (chunk_size < kMinFormatSize || chunk_size > 4096)
        return AudioError::FileForm;
    uint8_t format[4096];
    if (!read_exact(m_file, format, chunk_size + (chunk_size & 1)))
        return AudioError::FileForm;
    m_format_tag = le16(format);
    m_source_channels = le16(format + 2);
    const uint32_t rate = le32(format + 4);
    m_bits = le16(format + 14);
    if (m_format_tag == kExtensible && chunk_size >= 26)
        m_format_tag = le16(format + 24);
    if (!supported(m_format_tag, m_bits) || m_source_channels == 0 || rate == 0 || rate > INT_MAX)
        return AudioError::Format;
    m_frequency = static_cast<int32_t>(rate);
    m_channels = m_source_channels == 1 ? 1 : 2;
    m_buffer.resize(kReadChunkFrames * m_source_channels * (m_bits / 8));
    return AudioError::Ok;
}

float WavFileStream::sample_at(const uint8_t* bytes) const {
    if (m_bits == 8)
        return (static_cast<float>(bytes[0]) - 128.0f) / 128.0f;
    if (m_bits == 16)
        return static_cast<float>(static_cast<int16_t>(le16(bytes))) / 32768.0f;
    float value = 0.0f;
    const uint32_t bits = le32(bytes);
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

size_t WavFileStream::read(float* out, size_t frames) {
    const size_t sample_bytes = m_bits / 8;
    const size_t frame_bytes = sample_bytes * m_source_channels;
    size_t done = 0;
    while (done < frames && m_next_frame < m_data_frames) {
        const size_t wanted = std::min({frames - done, kReadChunkFrames, static_cast<size_t>(m_data_frames - m_next_frame)});
        const size_t got = std::fread(m_buffer.data(), frame_bytes, wanted, m_file);
        for (size_t i = 0; i < got; ++i, ++done) {
            const uint8_t* frame = m_buffer.data() + i * frame_bytes;
            out[done * static_cast<size_t>(m_channels)] = sample_at(frame);
            if (m_channels == 2)
                out[done * 2 + 1] = sample_at(frame + sample_bytes);
        }
        m_next_frame += got;
        if (got < wanted)
            m_data_frames = m_next_frame;
    }
    return done;
}

bool WavFileStream::rewind() {
    if (std::fseek(m_file, m_data_start, SEEK_SET) != 0)
        return false;
    m_next_frame = 0;
    return true;
}

}  // namespace me
