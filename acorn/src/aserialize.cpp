// Compiled-closure files: Acorn's own versioned binary form of a script's
// function prototypes.
//
// Layout (integers little-endian):
//   u16 0xFAFA (the bytecode stream tag), "ACRN", u32 format version,
//   u8 integer width, u8 float width, then the main function:
//   name, source name (values), u32 nparams, u32 stacksize, u8 flags
//   (1: varargs, 2: generator), then counted sections: literals,
//   parameter names, instructions (op a b c d), line records, local
//   variables, free variables, default-parameter registers, child functions;
//   after the main function, the saved closure's default-parameter values.
// Values are a tag byte (null, integer, float, bool, string) and a payload.
// Reading checks every count, index and length against the data and the
// prototype against sq_verify_proto, so a damaged file is an error.
#include <cstring>
#include <string>

#include "aapi.h"
#include "afuncproto.h"
#include "avm.h"

namespace {

constexpr uint16_t kStreamTag = SQ_BYTECODE_STREAM_TAG;
constexpr char kMagic[4] = {'A', 'C', 'R', 'N'};
constexpr uint32_t kFormatVersion = 2;  // 2: foreach keeps a fourth register
constexpr int kMaxFunctionDepth = 200;
constexpr uint32_t kMaxCount = 1u << 24;

enum ValueTag : uint8_t { TAG_NULL, TAG_INTEGER, TAG_FLOAT, TAG_BOOL, TAG_STRING };
enum ProtoFlags : uint8_t { FLAG_VARARGS = 1, FLAG_GENERATOR = 2 };

struct FormatError {
    std::string message;
};

class Writer {
   public:
    Writer(SQWRITEFUNC write, SQUserPointer up) : write_(write), up_(up) {}

    void bytes(const void *data, size_t n) {
        if (n == 0) return;
        if (write_(up_, const_cast<void *>(data), static_cast<SQInteger>(n)) != static_cast<SQInteger>(n))
            throw FormatError{"cannot write the compiled script"};
    }
    void u8(uint8_t x) { bytes(&x, 1); }
    void u32(uint32_t x) {
        unsigned char b[4];
        for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(x >> (8 * i));
        bytes(b, 4);
    }
    void i64(int64_t x) {
        uint64_t u = static_cast<uint64_t>(x);
        u32(static_cast<uint32_t>(u));
        u32(static_cast<uint32_t>(u >> 32));
    }
    void count(size_t n) { u32(static_cast<uint32_t>(n)); }

    void value(const SQObject &v) {
        switch (v._type) {
            case OT_NULL: u8(TAG_NULL); break;
            case OT_INTEGER: u8(TAG_INTEGER); i64(sq_int(v)); break;
            case OT_FLOAT: {
                uint32_t bits;
                SQFloat f = sq_float(v);
                std::memcpy(&bits, &f, sizeof bits);
                u8(TAG_FLOAT);
                u32(bits);
                break;
            }
            case OT_BOOL: u8(TAG_BOOL); u8(sq_int(v) ? 1 : 0); break;
            case OT_STRING:
                u8(TAG_STRING);
                count(static_cast<size_t>(sq_str(v)->len));
                bytes(sq_str(v)->data, static_cast<size_t>(sq_str(v)->len));
                break;
            default: throw FormatError{std::string("cannot save a literal of type ") + sq_typename(v._type)};
        }
    }

    void function(const SQFunctionProto &fn) {
        value(fn.name);
        value(fn.sourcename);
        u32(static_cast<uint32_t>(fn.nparams));
        u32(static_cast<uint32_t>(fn.stacksize));
        u8(static_cast<uint8_t>((fn.varparams ? FLAG_VARARGS : 0) | (fn.generator ? FLAG_GENERATOR : 0)));
        count(fn.literals.size());
        for (const SQValue &lit : fn.literals) value(lit);
        count(fn.parameters.size());
        for (const SQValue &p : fn.parameters) value(p);
        count(fn.code.size());
        for (const SQInstruction &i : fn.code) {
            unsigned char ops[4] = {i.op, i.a, i.b, i.c};
            bytes(ops, 4);
            u32(static_cast<uint32_t>(i.d));
        }
        count(fn.lineinfos.size());
        for (const SQLineInfo &li : fn.lineinfos) {
            i64(li.line);
            i64(li.op);
        }
        count(fn.localvars.size());
        for (const SQLocalVarInfo &lv : fn.localvars) {
            value(lv.name);
            i64(lv.reg);
            i64(lv.start_op);
            i64(lv.end_op);
        }
        count(fn.outers.size());
        for (const SQOuterVarInfo &o : fn.outers) {
            value(o.name);
            u8(o.kind);
            i64(o.index);
        }
        count(fn.defaultparams.size());
        for (SQInteger r : fn.defaultparams) i64(r);
        count(fn.functions.size());
        for (const SQValue &child : fn.functions) function(*sq_proto(child));
    }

   private:
    SQWRITEFUNC write_;
    SQUserPointer up_;
};

class Reader {
   public:
    Reader(SQVM *v, SQREADFUNC read, SQUserPointer up) : v_(v), read_(read), up_(up) {}

    void bytes(void *data, size_t n) {
        if (n == 0) return;
        if (read_(up_, data, static_cast<SQInteger>(n)) != static_cast<SQInteger>(n))
            throw FormatError{"the compiled script is truncated"};
    }
    uint8_t u8() {
        uint8_t x;
        bytes(&x, 1);
        return x;
    }
    uint32_t u32() {
        unsigned char b[4];
        bytes(b, 4);
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
               static_cast<uint32_t>(b[3]) << 24;
    }
    int64_t i64() {
        uint64_t lo = u32();
        uint64_t hi = u32();
        return static_cast<int64_t>(lo | hi << 32);
    }
    // A value that must fit SQInteger.
    SQInteger integer() {
        int64_t x = i64();
        if (x != static_cast<SQInteger>(x)) corrupt("number out of range");
        return static_cast<SQInteger>(x);
    }
    uint32_t count() {
        uint32_t n = u32();
        if (n > kMaxCount) corrupt("count out of range");
        return n;
    }
    [[noreturn]] static void corrupt(const std::string &what) { throw FormatError{"the compiled script is corrupt: " + what}; }

    SQValue value() {
        switch (u8()) {
            case TAG_NULL: return SQValue();
            case TAG_INTEGER: return SQValue(integer());
            case TAG_FLOAT: {
                uint32_t bits = u32();
                SQFloat f;
                std::memcpy(&f, &bits, sizeof f);
                return SQValue(f);
            }
            case TAG_BOOL: return SQValue::boolean(u8() != 0);
            case TAG_STRING: return string_value();
            default: corrupt("unknown value tag");
        }
    }

    SQValue string() {
        SQValue s = value();
        if (s._type != OT_STRING) corrupt("string expected");
        return s;
    }

    SQValue function(const SQFunctionProto *parent, int depth) {
        if (depth > kMaxFunctionDepth) corrupt("functions nested too deeply");
        SQValue protoval(new SQFunctionProto());
        SQFunctionProto &fn = *sq_proto(protoval);
        fn.name = value();
        if (!fn.name.is_null() && fn.name._type != OT_STRING) corrupt("bad function name");
        fn.sourcename = string();
        fn.nparams = static_cast<SQInteger>(count());
        fn.stacksize = static_cast<SQInteger>(count());
        uint8_t flags = u8();
        if (flags & ~(FLAG_VARARGS | FLAG_GENERATOR)) corrupt("unknown function flags");
        fn.varparams = flags & FLAG_VARARGS;
        fn.generator = flags & FLAG_GENERATOR;
        for (uint32_t n = count(); n > 0; --n) fn.literals.push_back(value());
        for (uint32_t n = count(); n > 0; --n) fn.parameters.push_back(string());
        for (uint32_t n = count(); n > 0; --n) {
            unsigned char ops[4];
            bytes(ops, 4);
            fn.code.push_back({ops[0], ops[1], ops[2], ops[3], static_cast<int32_t>(u32())});
        }
        for (uint32_t n = count(); n > 0; --n) {
            SQInteger line = integer();
            fn.lineinfos.push_back({line, integer()});
        }
        for (uint32_t n = count(); n > 0; --n) {
            SQValue name = string();
            SQInteger reg = integer();
            SQInteger start = integer();
            fn.localvars.push_back({name, reg, start, integer()});
        }
        for (uint32_t n = count(); n > 0; --n) {
            SQValue name = string();
            uint8_t kind = u8();
            if (kind > OUTER_FROM_OUTER) corrupt("bad free variable kind");
            fn.outers.push_back({name, static_cast<SQOuterKind>(kind), integer()});
        }
        for (uint32_t n = count(); n > 0; --n) fn.defaultparams.push_back(integer());
        for (uint32_t n = count(); n > 0; --n) fn.functions.push_back(function(&fn, depth + 1));
        std::string why;
        if (!sq_verify_proto(&fn, parent, why)) corrupt(why);
        return protoval;
    }

   private:
    // Read in pieces so a damaged length cannot demand a huge allocation up front.
    SQValue string_value() {
        uint32_t len = count();
        std::string text;
        char chunk[4096];
        while (len > 0) {
            uint32_t n = len < sizeof chunk ? len : static_cast<uint32_t>(sizeof chunk);
            bytes(chunk, n);
            text.append(chunk, n);
            len -= n;
        }
        return SQValue(SQString::create(v_->ss, text.data(), static_cast<SQInteger>(text.size())));
    }

    SQVM *v_;
    SQREADFUNC read_;
    SQUserPointer up_;
};

void write_header(Writer &w) {
    w.bytes(&kStreamTag, sizeof kStreamTag);
    w.bytes(kMagic, sizeof kMagic);
    w.u32(kFormatVersion);
    w.u8(sizeof(SQInteger));
    w.u8(sizeof(SQFloat));
}

void read_header(Reader &r) {
    uint16_t tag;
    char magic[sizeof kMagic];
    r.bytes(&tag, sizeof tag);
    r.bytes(magic, sizeof magic);
    if (tag != kStreamTag || std::memcmp(magic, kMagic, sizeof magic) != 0)
        throw FormatError{"the data is not an Acorn compiled script"};
    uint32_t version = r.u32();
    if (version != kFormatVersion)
        throw FormatError{"compiled script format version " + std::to_string(version) + " is not supported (expected " +
                          std::to_string(kFormatVersion) + ")"};
    unsigned int int_width = r.u8();
    unsigned int float_width = r.u8();
    if (int_width != sizeof(SQInteger) || float_width != sizeof(SQFloat))
        throw FormatError{"the compiled script uses " + std::to_string(int_width) + "-byte integers and " +
                          std::to_string(float_width) + "-byte floats; this runtime uses " +
                          std::to_string(sizeof(SQInteger)) + " and " + std::to_string(sizeof(SQFloat))};
}

}  // namespace

SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC writef, SQUserPointer up) {
    if (!writef) return api_error(v, "invalid writer");
    if (sq_gettop(v) < 1) return api_error(v, "no closure on the stack");
    const SQValue &top = v->get_at(-1);
    if (top._type != OT_CLOSURE) return api_error(v, "the object is not a closure");
    const SQFunctionProto &fn = *sq_closure(top)->fn();
    if (!fn.outers.empty()) return api_error(v, "a closure with free variables bound cannot be serialized");
    try {
        Writer w(writef, up);
        write_header(w);
        w.function(fn);
        const std::vector<SQValue> &defaults = sq_closure(top)->defaultparams;
        w.count(defaults.size());
        for (const SQValue &d : defaults) w.value(d);
    } catch (const FormatError &e) {
        return api_error(v, e.message.c_str());
    }
    return SQ_OK;
}

SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC readf, SQUserPointer up) {
    if (!readf) return api_error(v, "invalid reader");
    SQValue proto;
    std::vector<SQValue> defaults;
    try {
        Reader r(v, readf, up);
        read_header(r);
        proto = r.function(nullptr, 0);
        uint32_t n = r.count();
        if (n != sq_proto(proto)->defaultparams.size()) Reader::corrupt("default parameter values do not match");
        for (; n > 0; --n) defaults.push_back(r.value());
    } catch (const FormatError &e) {
        return api_error(v, e.message.c_str());
    }
    SQValue closure(SQClosure::create(v->ss, sq_proto(proto), v->roottable));
    sq_closure(closure)->defaultparams = std::move(defaults);
    return api_push(v, closure) ? SQ_OK : SQ_ERROR;
}
