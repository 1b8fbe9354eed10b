#include "audio/stream_decoder.h"

#include <cstdio>
#include <cstring>

#include "audio/ogg_file_stream.h"
#include "audio/wav_file_stream.h"

namespace me {

namespace {

bool read_magic(const std::string& path, char (&magic)[4]) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    const bool complete = std::fread(magic, 1, sizeof(magic), file) == sizeof(magic);
    std::fclose(file);
    return complete;
}

}  // namespace

std::unique_ptr<StreamDecoder> open_stream_decoder(const std::string& path, AudioError& error) {
    char magic[4] = {};
    if (!read_magic(path, magic)) {
        error = std::fopen(path.c_str(), "rb") == nullptr ? AudioError::FileOpen : AudioError::FileForm;
        return nullptr;
    }
    if (std::memcmp(magic, "OggS", 4) == 0)
        return OggFileStream::open(path, error);
    if (std::memcmp(magic, "RIFF", 4) == 0)
        return WavFileStream::open(path, error);
    error = AudioError::FileForm;
    return nullptr;
}

}  // namespace me
