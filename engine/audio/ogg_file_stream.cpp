#include "audio/ogg_file_stream.h"

#include <algorithm>
#include <climits>

#include "audio/ogg_decoder.h"

namespace me {

std::unique_ptr<StreamDecoder> OggFileStream::open(const std::string& path, AudioError& error) {
    std::unique_ptr<OggFileStream> stream(new OggFileStream());
    const int opened = ov_fopen(path.c_str(), &stream->m_vorbis);
    if (opened != 0) {
        error = opened == OV_EREAD ? AudioError::FileOpen : AudioError::FileForm;
        return nullptr;
    }
    stream->m_open = true;
    const vorbis_info* info = ov_info(&stream->m_vorbis, -1);
    if (info == nullptr || info->channels <= 0 || info->rate <= 0 || info->rate > INT_MAX) {
        error = AudioError::Format;
        return nullptr;
    }
    stream->m_frequency = static_cast<int32_t>(info->rate);
    stream->m_source_channels = info->channels;
    stream->m_channels = info->channels == 1 ? 1 : 2;
    return stream;
}

OggFileStream::~OggFileStream() {
    // A failed ov_fopen has already let go of its file.
    if (m_open)
        ov_clear(&m_vorbis);
}

size_t OggFileStream::read(float* out, size_t frames) {
    size_t done = 0;
    const int right = vorbis_right_channel(m_source_channels);
    while (done < frames) {
        float** pcm = nullptr;
        int section = 0;
        const long wanted = static_cast<long>(std::min<size_t>(frames - done, INT_MAX));
        const long got = ov_read_float(&m_vorbis, &pcm, static_cast<int>(wanted), &section);
        if (got <= 0 || ov_info(&m_vorbis, section)->channels != m_source_channels)
            return done;
        for (long i = 0; i < got; ++i, ++done) {
            out[done * static_cast<size_t>(m_channels)] = pcm[0][i];
            if (m_channels == 2)
                out[done * 2 + 1] = pcm[right][i];
        }
    }
    return done;
}

bool OggFileStream::rewind() { return ov_pcm_seek(&m_vorbis, 0) == 0; }

}  // namespace me
