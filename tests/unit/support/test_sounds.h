#pragma once

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <span>
#include <string>
#include <vector>

// Sound files and signal measurements for the audio tests: files are built in
// memory from known signals, and what the mixer gives back is measured.
namespace me::test {

// Interleaved frames of a sine of the given frequency on every channel.
inline std::vector<float> sine_wave(double frequency, int rate, int channels, size_t frames, float amplitude = 0.8f) {
    std::vector<float> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<float>(
                amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate));
    return samples;
}

inline void put_le(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A canonical 16-bit (or 8-bit) PCM WAV file of the samples.
inline std::string wav_file(const std::vector<float>& samples, int rate, int channels, int bits = 16) {
    std::string data;
    for (const float sample : samples) {
        if (bits == 8)
            put_le(data, static_cast<uint32_t>(std::lround(sample * 127.0f) + 128), 1);
        else
            put_le(data, static_cast<uint32_t>(static_cast<int16_t>(std::lround(sample * 32767.0f))), 2);
    }
    std::string file = "RIFF";
    put_le(file, static_cast<uint32_t>(36 + data.size()), 4);
    file += "WAVEfmt ";
    put_le(file, 16, 4);
    put_le(file, 1, 2);
    put_le(file, static_cast<uint32_t>(channels), 2);
    put_le(file, static_cast<uint32_t>(rate), 4);
    put_le(file, static_cast<uint32_t>(rate * channels * bits / 8), 4);
    put_le(file, static_cast<uint32_t>(channels * bits / 8), 2);
    put_le(file, static_cast<uint32_t>(bits), 2);
    file += "data";
    put_le(file, static_cast<uint32_t>(data.size()), 4);
    return file + data;
}

// An Ogg Vorbis file of the samples, encoded with libvorbisenc.
inline std::string ogg_file(const std::vector<float>& samples, int rate, int channels) {
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, channels, rate, 0.5f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);
    std::string file;
    ogg_page page;
    const auto write_pages = [&](bool flush) {
        while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
            file.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
            file.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
        }
    };
    ogg_packet headers[3];
    vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
    for (ogg_packet& header : headers)
        ogg_stream_packetin(&stream, &header);
    write_pages(true);
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(frames));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            buffer[c][i] = samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)];
    vorbis_analysis_wrote(&dsp, static_cast<int>(frames));
    vorbis_analysis_wrote(&dsp, 0);
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            write_pages(false);
        }
    }
    write_pages(true);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return file;
}

inline std::span<const uint8_t> bytes_of(const std::string& file) {
    return {reinterpret_cast<const uint8_t*>(file.data()), file.size()};
}

// One channel (0 left, 1 right) of interleaved stereo output.
inline std::vector<float> channel_of(const std::vector<float>& stereo, int channel) {
    std::vector<float> out;
    for (size_t i = static_cast<size_t>(channel); i < stereo.size(); i += 2)
        out.push_back(stereo[i]);
    return out;
}

inline float peak(std::span<const float> samples) {
    float highest = 0.0f;
    for (const float sample : samples)
        highest = std::max(highest, std::fabs(sample));
    return highest;
}

// The frequency from the rising zero crossings between the first and last.
inline double measured_frequency(std::span<const float> samples, int rate) {
    long first = -1;
    long last = -1;
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            if (first < 0)
                first = static_cast<long>(i);
            last = static_cast<long>(i);
            ++crossings;
        }
    if (crossings < 2)
        return 0.0;
    return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

// The first frame from which every later frame is quieter than threshold.
inline size_t silent_from(std::span<const float> samples, float threshold) {
    size_t index = samples.size();
    while (index > 0 && std::fabs(samples[index - 1]) < threshold)
        --index;
    return index;
}

}  // namespace me::test
