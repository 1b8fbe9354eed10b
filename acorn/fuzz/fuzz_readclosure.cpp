// Fuzz target: reading a compiled closure from arbitrary bytes must fail
// cleanly or yield a closure, never read outside the input.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "squirrel.h"

namespace {

struct ByteReader {
    const uint8_t *data;
    size_t size;
    size_t pos;
};

SQInteger read_bytes(SQUserPointer user, SQUserPointer dest, SQInteger count) {
    auto *reader = static_cast<ByteReader *>(user);
    if (count < 0) return -1;
    size_t left = reader->size - reader->pos;
    size_t n = static_cast<size_t>(count) < left ? static_cast<size_t>(count) : left;
    std::memcpy(dest, reader->data + reader->pos, n);
    reader->pos += n;
    return static_cast<SQInteger>(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    HSQUIRRELVM v = sq_open(1024);
    ByteReader reader{data, size, 0};
    SQInteger top = sq_gettop(v);
    if (SQ_SUCCEEDED(sq_readclosure(v, read_bytes, &reader))) sq_pop(v, 1);
    if (sq_gettop(v) != top) __builtin_trap();
    sq_close(v);
    return 0;
}
