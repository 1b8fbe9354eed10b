#pragma once

#include <vorbis/vorbisfile.h>

#include <memory>
#include <string>

#include "audio/stream_decoder.h"

namespace me {

// An Ogg Vorbis file decoded as it plays, through libvorbisfile.
class OggFileStream final : public StreamDecoder {
public:
    static std::unique_ptr<StreamDecoder> open(const std::string& path, AudioError& error);
    ~OggFileStream() override;
    OggFileStream(const OggFileStream&) = delete;
    OggFileStream& operator=(const OggFileStream&) = delete;

    int32_t frequency() const override { return m_frequency; }
    int32_t channels() const override { return m_channels; }
    size_t read(float* out, size_t frames) override;
    bool rewind() override;

private:
    OggFileStream() = default;

    OggVorbis_File m_vorbis{};
    int32_t m_frequency = 0;
    int32_t m_channels = 0;
    int32_t m_source_channels = 0;
    bool m_open = false;
};

}  // namespace me
