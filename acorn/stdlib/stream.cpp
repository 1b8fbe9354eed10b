#include "stream.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "binding.h"
#include "sqstdblob.h"

namespace acorn::stdlib {

const char kStreamTypeTag[] = "acorn.stream";

namespace {

constexpr const SQChar *kStreamClassKey = "std_stream";

// Adapts a method body that works on the `this` stream into a native
// function that first checks `this`.
template <SQInteger (*Body)(HSQUIRRELVM, Stream &)>
SQInteger stream_method(HSQUIRRELVM v) {
    Stream *stream = nullptr;
    if (SQ_FAILED(get_stream(v, 1, stream))) return SQ_ERROR;
    return Body(v, *stream);
}

bool read_exact(Stream &stream, void *buffer, std::size_t size) { return stream.read(buffer, size) == size; }

template <typename Value>
bool read_value(Stream &stream, Value &value) {
    return read_exact(stream, &value, sizeof value);
}

template <typename Value>
bool write_value(Stream &stream, Value value) {
    return stream.write(&value, sizeof value) == sizeof value;
}

template <typename Raw>
bool push_read_integer(HSQUIRRELVM v, Stream &stream) {
    Raw x;
    if (!read_value(stream, x)) return false;
    sq_pushinteger(v, static_cast<SQInteger>(x));
    return true;
}

template <typename Raw>
bool push_read_float(HSQUIRRELVM v, Stream &stream) {
    Raw x;
    if (!read_value(stream, x)) return false;
    sq_pushfloat(v, static_cast<SQFloat>(x));
    return true;
}

// Pushes the value read for a readn type code; false on a short read or an
// unknown code (told apart by `known`).
bool read_number(HSQUIRRELVM v, Stream &stream, SQInteger code, bool &known) {
    known = true;
    switch (code) {
    case 'c': return push_read_integer<std::int8_t>(v, stream);
    case 'b': return push_read_integer<std::uint8_t>(v, stream);
    case 's': return push_read_integer<std::int16_t>(v, stream);
    case 'w': return push_read_integer<std::uint16_t>(v, stream);
    case 'i': return push_read_integer<std::int32_t>(v, stream);
    case 'l': return push_read_integer<std::int64_t>(v, stream);
    case 'f': return push_read_float<float>(v, stream);
    case 'd': return push_read_float<double>(v, stream);
    default: known = false; return false;
    }
}

bool write_number(HSQUIRRELVM v, Stream &stream, SQInteger code, bool &known) {
    SQInteger i = 0;
    SQFloat f = 0;
    sq_getinteger(v, 2, &i);
    sq_getfloat(v, 2, &f);
    known = true;
    switch (code) {
    case 'c': return write_value(stream, static_cast<std::int8_t>(i));
    case 'b': return write_value(stream, static_cast<std::uint8_t>(i));
    case 's': return write_value(stream, static_cast<std::int16_t>(i));
    case 'w': return write_value(stream, static_cast<std::uint16_t>(i));
    case 'i': return write_value(stream, static_cast<std::int32_t>(i));
    case 'l': return write_value(stream, static_cast<std::int64_t>(i));
    case 'f': return write_value(stream, static_cast<float>(f));
    case 'd': return write_value(stream, static_cast<double>(f));
    default: known = false; return false;
    }
}

SQInteger stream_readn(HSQUIRRELVM v, Stream &stream) {
    SQInteger code = 0;
    sq_getinteger(v, 2, &code);
    bool known = false;
    if (read_number(v, stream, code, known)) return 1;
    return sq_throwerror(v, known ? "io error" : "invalid format");
}

SQInteger stream_writen(HSQUIRRELVM v, Stream &stream) {
    SQInteger code = 0;
    sq_getinteger(v, 3, &code);
    bool known = false;
    if (write_number(v, stream, code, known)) return 0;
    return sq_throwerror(v, known ? "io error" : "invalid format");
}

// Memory is taken as the bytes arrive, so asking for far more than a stream
// holds costs nothing; false when memory runs out.
bool read_up_to(Stream &stream, std::size_t wanted, std::vector<unsigned char> &bytes) {
    constexpr std::size_t kChunk = std::size_t(1) << 16;
    try {
        while (bytes.size() < wanted) {
            const std::size_t before = bytes.size();
            bytes.resize(before + std::min(kChunk, wanted - before));
            const std::size_t got = stream.read(bytes.data() + before, bytes.size() - before);
            bytes.resize(before + got);
            if (got == 0) break;
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

SQInteger stream_readblob(HSQUIRRELVM v, Stream &stream) {
    SQInteger size = 0;
    sq_getinteger(v, 2, &size);
    if (size < 0) return sq_throwerror(v, "negative size");
    std::vector<unsigned char> bytes;
    if (!read_up_to(stream, static_cast<std::size_t>(size), bytes)) return sq_throwerror(v, "out of memory");
    const std::size_t got = bytes.size();
    if (got == 0) return sq_throwerror(v, "no data left to read");
    SQUserPointer data = sqstd_createblob(v, static_cast<SQInteger>(got));
    if (data == nullptr) return sq_throwerror(v, "cannot create a blob");
    if (got > 0) std::memcpy(data, bytes.data(), got);
    return 1;
}

SQInteger stream_writeblob(HSQUIRRELVM v, Stream &stream) {
    SQUserPointer data = nullptr;
    if (SQ_FAILED(sqstd_getblob(v, 2, &data))) return sq_throwerror(v, "blob expected");
    const std::size_t size = static_cast<std::size_t>(sqstd_getblobsize(v, 2));
    if (size > 0 && stream.write(data, size) != size) return sq_throwerror(v, "io error");
    sq_pushinteger(v, static_cast<SQInteger>(size));
    return 1;
}

SQInteger stream_seek(HSQUIRRELVM v, Stream &stream) {
    SQInteger offset = 0;
    sq_getinteger(v, 2, &offset);
    SQInteger origin_code = 'b';
    if (sq_gettop(v) >= 3) sq_getinteger(v, 3, &origin_code);
    SeekOrigin origin;
    switch (origin_code) {
    case 'b': origin = SeekOrigin::Begin; break;
    case 'c': origin = SeekOrigin::Current; break;
    case 'e': origin = SeekOrigin::End; break;
    default: return sq_throwerror(v, "invalid origin");
    }
    sq_pushinteger(v, stream.seek(offset, origin) ? 0 : -1);
    return 1;
}

SQInteger stream_tell(HSQUIRRELVM v, Stream &stream) {
    sq_pushinteger(v, static_cast<SQInteger>(stream.tell()));
    return 1;
}

SQInteger stream_len(HSQUIRRELVM v, Stream &stream) {
    sq_pushinteger(v, static_cast<SQInteger>(stream.length()));
    return 1;
}

// As in the reference library: 1 at the end of the stream, else null.
SQInteger stream_eos(HSQUIRRELVM v, Stream &stream) {
    if (!stream.at_end()) return 0;
    sq_pushinteger(v, 1);
    return 1;
}

// 1 when flushed, else null.
SQInteger stream_flush(HSQUIRRELVM v, Stream &stream) {
    if (!stream.flush()) return 0;
    sq_pushinteger(v, 1);
    return 1;
}

const SQRegFunction kStreamMethods[] = {
    {"readn", stream_method<stream_readn>, 2, "xn"},
    {"writen", stream_method<stream_writen>, 3, "xnn"},
    {"readblob", stream_method<stream_readblob>, 2, "xn"},
    {"writeblob", stream_method<stream_writeblob>, 2, "xx"},
    {"seek", stream_method<stream_seek>, -2, "xnn"},
    {"tell", stream_method<stream_tell>, 1, "x"},
    {"len", stream_method<stream_len>, 1, "x"},
    {"eos", stream_method<stream_eos>, 1, "x"},
    {"flush", stream_method<stream_flush>, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

SQRESULT push_stream_base_class(HSQUIRRELVM v) {
    if (SQ_SUCCEEDED(push_registry_value(v, kStreamClassKey))) return SQ_OK;
    if (SQ_FAILED(define_class(v, false, kStreamTypeTag, kStreamMethods, kStreamClassKey, 0, nullptr))) return SQ_ERROR;
    return push_registry_value(v, kStreamClassKey);
}

SQRESULT get_stream(HSQUIRRELVM v, SQInteger idx, Stream *&stream) {
    SQUserPointer up = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &up, const_cast<char *>(kStreamTypeTag)))) {
        return sq_throwerror(v, "invalid type tag");
    }
    stream = static_cast<Stream *>(up);
    if (stream == nullptr || !stream->is_open()) return sq_throwerror(v, "the stream is invalid");
    return SQ_OK;
}

}  // namespace acorn::stdlib
