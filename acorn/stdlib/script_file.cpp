// Loading scripts and compiled closures from files, and writing compiled
// closures, for hosts and for the io library's dofile/loadfile.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "sqstdio.h"

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

enum class ReadResult { Read, Failed, TooLarge };

// A script or compiled closure is never longer than the longest string, so
// a file beyond that (an endless device, a runaway log) is refused before it
// exhausts memory.
ReadResult read_whole_file(std::FILE *file, std::vector<char> &bytes) {
    constexpr std::size_t kMaxFileSize = ACORN_MAX_STRING_LENGTH;
    char chunk[8192];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (got > kMaxFileSize - bytes.size()) return ReadResult::TooLarge;
        try {
            bytes.insert(bytes.end(), chunk, chunk + got);
        } catch (const std::bad_alloc &) {
            return ReadResult::TooLarge;
        }
    }
    return std::ferror(file) == 0 ? ReadResult::Read : ReadResult::Failed;
}

bool starts_with_bytes(const std::vector<char> &bytes, const unsigned char *prefix, std::size_t size) {
    return bytes.size() >= size && std::memcmp(bytes.data(), prefix, size) == 0;
}

bool is_compiled_closure(const std::vector<char> &bytes) {
    const unsigned short tag = SQ_BYTECODE_STREAM_TAG;
    unsigned char prefix[sizeof tag];
    std::memcpy(prefix, &tag, sizeof tag);
    return starts_with_bytes(bytes, prefix, sizeof prefix);
}

struct MemoryReader {
    const std::vector<char> &bytes;
    std::size_t position = 0;
};

SQInteger read_memory(SQUserPointer user, SQUserPointer destination, SQInteger size) {
    auto *reader = static_cast<MemoryReader *>(user);
    const std::size_t left = reader->bytes.size() - reader->position;
    const std::size_t count = size < 0 ? 0 : std::min(static_cast<std::size_t>(size), left);
    if (count > 0) std::memcpy(destination, reader->bytes.data() + reader->position, count);
    reader->position += count;
    return static_cast<SQInteger>(count);
}

SQInteger write_file(SQUserPointer user, SQUserPointer source, SQInteger size) {
    if (size <= 0) return 0;
    return static_cast<SQInteger>(std::fwrite(source, 1, static_cast<std::size_t>(size), static_cast<std::FILE *>(user)));
}

}  // namespace

extern "C" {

SQRESULT sqstd_loadfile(HSQUIRRELVM v, const SQChar *filename, SQBool printerror) {
    FileHandle file(filename == nullptr ? nullptr : std::fopen(filename, "rb"));
    if (!file) return sq_throwerror(v, "cannot open the file");
    std::vector<char> bytes;
    switch (read_whole_file(file.get(), bytes)) {
    case ReadResult::Failed: return sq_throwerror(v, "cannot read the file");
    case ReadResult::TooLarge: return sq_throwerror(v, "the file is too large");
    case ReadResult::Read: break;
    }
    if (is_compiled_closure(bytes)) {
        MemoryReader reader{bytes};
        return sq_readclosure(v, read_memory, &reader);
    }
    const std::size_t skip = starts_with_bytes(bytes, kUtf8Mark, sizeof kUtf8Mark) ? sizeof kUtf8Mark : 0;
    bytes.push_back('\0');  // an empty file still hands the compiler a buffer
    return sq_compilebuffer(v, bytes.data() + skip, static_cast<SQInteger>(bytes.size() - 1 - skip), filename, printerror);
}

SQRESULT sqstd_dofile(HSQUIRRELVM v, const SQChar *filename, SQBool retval, SQBool printerror) {
    if (SQ_FAILED(sqstd_loadfile(v, filename, printerror))) return SQ_ERROR;
    sq_push(v, -2);
    if (SQ_FAILED(sq_call(v, 1, retval, SQTrue))) {
        sq_poptop(v);
        return SQ_ERROR;
    }
    sq_remove(v, retval ? -2 : -1);
    return SQ_OK;
}

SQRESULT sqstd_writeclosuretofile(HSQUIRRELVM v, const SQChar *filename) {
    FileHandle file(filename == nullptr ? nullptr : std::fopen(filename, "wb"));
    if (!file) return sq_throwerror(v, "cannot open the file");
    const SQRESULT written = sq_writeclosure(v, write_file, file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (SQ_FAILED(written)) return SQ_ERROR;
    if (!closed) return sq_throwerror(v, "cannot write the file");
    return SQ_OK;
}

}  // extern "C"
