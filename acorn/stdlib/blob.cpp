#include <cstring>
#include <new>

#include "memory_stream.h"
#include "binding.h"
#include "sqstdblob.h"

namespace acorn::stdlib {

namespace {

const char kBlobTypeTag[] = "acorn.blob";
constexpr const SQChar *kBlobClassKey = "std_blob";

SQInteger release_blob(SQUserPointer up, SQInteger) {
    delete static_cast<MemoryStream *>(static_cast<Stream *>(up));
    return 1;
}

MemoryStream *blob_at(HSQUIRRELVM v, SQInteger idx) {
    SQUserPointer up = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &up, const_cast<char *>(kBlobTypeTag))) || up == nullptr) return nullptr;
    return static_cast<MemoryStream *>(static_cast<Stream *>(up));
}

// Adapts a method body that works on the `this` blob into a native
// function that first checks `this`.
template <SQInteger (*Body)(HSQUIRRELVM, MemoryStream &)>
SQInteger blob_method(HSQUIRRELVM v) {
    MemoryStream *blob = blob_at(v, 1);
    if (blob == nullptr) return sq_throwerror(v, "invalid type tag");
    return Body(v, *blob);
}

SQRESULT attach(HSQUIRRELVM v, MemoryStream *blob) {
    if (SQ_FAILED(sq_setinstanceup(v, 1, static_cast<Stream *>(blob)))) {
        delete blob;
        return sq_throwerror(v, "cannot create blob");
    }
    sq_setreleasehook(v, 1, release_blob);
    return SQ_OK;
}

SQInteger blob_constructor(HSQUIRRELVM v) {
    SQInteger size = 0;
    if (sq_gettop(v) >= 2) sq_getinteger(v, 2, &size);
    if (size < 0) return sq_throwerror(v, "cannot create blob with negative size");
    MemoryStream *blob = new (std::nothrow) MemoryStream();
    if (blob == nullptr) return sq_throwerror(v, "out of memory");
    try {
        blob->resize(static_cast<std::size_t>(size));
    } catch (const std::exception &) {
        delete blob;
        return sq_throwerror(v, "out of memory");
    }
    return attach(v, blob);
}

SQInteger blob_cloned(HSQUIRRELVM v) {
    const MemoryStream *original = blob_at(v, 2);
    if (original == nullptr) return sq_throwerror(v, "invalid type tag");
    MemoryStream *copy = new (std::nothrow) MemoryStream(*original);
    if (copy == nullptr) return sq_throwerror(v, "out of memory");
    return attach(v, copy);
}

SQInteger blob_resize(HSQUIRRELVM v, MemoryStream &blob) {
    SQInteger size = 0;
    sq_getinteger(v, 2, &size);
    if (size < 0) return sq_throwerror(v, "negative size");
    // As in the reference library, resize only ever shortens the contents:
    // a larger size reserves room, and len() stays what was written.
    if (static_cast<std::size_t>(size) >= blob.size()) return 0;
    try {
        blob.resize(static_cast<std::size_t>(size));
    } catch (const std::exception &) {
        return sq_throwerror(v, "out of memory");
    }
    return 0;
}

SQInteger blob_swap2(HSQUIRRELVM, MemoryStream &blob) {
    blob.swap2();
    return 0;
}

SQInteger blob_swap4(HSQUIRRELVM, MemoryStream &blob) {
    blob.swap4();
    return 0;
}

// Reads the byte index at stack position 2; a key that is not an integer is
// reported as a missing slot by throwing null.
SQRESULT byte_index(HSQUIRRELVM v, const MemoryStream &blob, std::size_t &index) {
    if (sq_gettype(v, 2) != OT_INTEGER) {
        sq_pushnull(v);
        return sq_throwobject(v);
    }
    SQInteger i = 0;
    sq_getinteger(v, 2, &i);
    if (i < 0 || static_cast<std::size_t>(i) >= blob.size()) return sq_throwerror(v, "index out of range");
    index = static_cast<std::size_t>(i);
    return SQ_OK;
}

SQInteger blob_get(HSQUIRRELVM v, MemoryStream &blob) {
    std::size_t index = 0;
    if (SQ_FAILED(byte_index(v, blob, index))) return SQ_ERROR;
    sq_pushinteger(v, blob.data()[index]);
    return 1;
}

SQInteger blob_set(HSQUIRRELVM v, MemoryStream &blob) {
    std::size_t index = 0;
    if (SQ_FAILED(byte_index(v, blob, index))) return SQ_ERROR;
    SQInteger value = 0;
    sq_getinteger(v, 3, &value);
    blob.data()[index] = static_cast<unsigned char>(value);
    sq_push(v, 3);
    return 1;
}

SQInteger blob_nexti(HSQUIRRELVM v, MemoryStream &blob) {
    SQInteger next = 0;
    if (sq_gettype(v, 2) != OT_NULL) {
        if (SQ_FAILED(sq_getinteger(v, 2, &next))) return sq_throwerror(v, "internal error (_nexti) wrong argument type");
        ++next;
    }
    if (next >= 0 && static_cast<std::size_t>(next) < blob.size()) {
        sq_pushinteger(v, next);
    } else {
        sq_pushnull(v);
    }
    return 1;
}

SQInteger blob_typeof(HSQUIRRELVM v) {
    sq_pushstring(v, "blob", -1);
    return 1;
}

const SQRegFunction kBlobMethods[] = {
    {"constructor", blob_constructor, -1, "xn"},
    {"resize", blob_method<blob_resize>, 2, "xn"},
    {"swap2", blob_method<blob_swap2>, 1, "x"},
    {"swap4", blob_method<blob_swap4>, 1, "x"},
    {"_set", blob_method<blob_set>, 3, "x.n"},
    {"_get", blob_method<blob_get>, 2, "x."},
    {"_nexti", blob_method<blob_nexti>, 2, "x."},
    {"_typeof", blob_typeof, 1, "x"},
    {"_cloned", blob_cloned, 2, "xx"},
    {nullptr, nullptr, 0, nullptr},
};

std::uint32_t float_bits(SQFloat value) {
    const float single = static_cast<float>(value);
    std::uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    return bits;
}

SQFloat bits_float(std::uint32_t bits) {
    float single;
    std::memcpy(&single, &bits, sizeof single);
    return static_cast<SQFloat>(single);
}

std::uint32_t reverse_bytes(std::uint32_t x) {
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

SQInteger argument_integer(HSQUIRRELVM v) {
    SQInteger value = 0;
    sq_getinteger(v, 2, &value);
    return value;
}

SQFloat argument_float(HSQUIRRELVM v) {
    SQFloat value = 0;
    sq_getfloat(v, 2, &value);
    return value;
}

SQInteger global_castf2i(HSQUIRRELVM v) {
    sq_pushinteger(v, static_cast<SQInteger>(static_cast<std::int32_t>(float_bits(argument_float(v)))));
    return 1;
}

SQInteger global_casti2f(HSQUIRRELVM v) {
    sq_pushfloat(v, bits_float(static_cast<std::uint32_t>(argument_integer(v))));
    return 1;
}

SQInteger global_swap2(HSQUIRRELVM v) {
    const auto x = static_cast<std::uint16_t>(argument_integer(v));
    sq_pushinteger(v, static_cast<SQInteger>(static_cast<std::uint16_t>((x >> 8) | (x << 8))));
    return 1;
}

SQInteger global_swap4(HSQUIRRELVM v) {
    const auto x = static_cast<std::uint32_t>(argument_integer(v));
    sq_pushinteger(v, static_cast<SQInteger>(static_cast<std::int32_t>(reverse_bytes(x))));
    return 1;
}

SQInteger global_swapfloat(HSQUIRRELVM v) {
    sq_pushfloat(v, bits_float(reverse_bytes(float_bits(argument_float(v)))));
    return 1;
}

const SQRegFunction kBlobGlobals[] = {
    {"castf2i", global_castf2i, 2, ".n"},
    {"casti2f", global_casti2f, 2, ".n"},
    {"swap2", global_swap2, 2, ".n"},
    {"swap4", global_swap4, 2, ".n"},
    {"swapfloat", global_swapfloat, 2, ".n"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

}  // namespace acorn::stdlib

using namespace acorn::stdlib;

extern "C" {

SQRESULT sqstd_register_bloblib(HSQUIRRELVM v) {
    SQInteger target = 0;
    if (SQ_FAILED(registration_target(v, target)) || SQ_FAILED(push_stream_base_class(v))) return SQ_ERROR;
    if (SQ_FAILED(define_class(v, true, kBlobTypeTag, kBlobMethods, kBlobClassKey, target, "blob"))) return SQ_ERROR;
    add_functions(v, kBlobGlobals);
    return SQ_OK;
}

SQUserPointer sqstd_createblob(HSQUIRRELVM v, SQInteger size) {
    const SQInteger top = sq_gettop(v);
    if (SQ_FAILED(push_registry_value(v, kBlobClassKey))) return nullptr;
    sq_pushroottable(v);
    sq_pushinteger(v, size);
    if (SQ_FAILED(sq_call(v, 2, SQTrue, SQFalse))) {
        sq_settop(v, top);
        return nullptr;
    }
    sq_remove(v, -2);
    MemoryStream *blob = blob_at(v, -1);
    if (blob == nullptr) {
        sq_settop(v, top);
        return nullptr;
    }
    return blob->data();
}

SQRESULT sqstd_getblob(HSQUIRRELVM v, SQInteger idx, SQUserPointer *ptr) {
    MemoryStream *blob = blob_at(v, idx);
    if (blob == nullptr) return sq_throwerror(v, "invalid type tag");
    *ptr = blob->data();
    return SQ_OK;
}

SQInteger sqstd_getblobsize(HSQUIRRELVM v, SQInteger idx) {
    MemoryStream *blob = blob_at(v, idx);
    return blob == nullptr ? -1 : static_cast<SQInteger>(blob->size());
}

}  // extern "C"
