#include <cstring>
#include <new>
#include <string>

#include "binding.h"
#include "file_stream.h"
#include "sqstdio.h"

namespace acorn::stdlib {

namespace {

const char kFileTypeTag[] = "acorn.file";
constexpr const SQChar *kFileClassKey = "std_file";

SQInteger release_file(SQUserPointer up, SQInteger) {
    delete static_cast<FileStream *>(static_cast<Stream *>(up));
    return 1;
}

FileStream *file_at(HSQUIRRELVM v, SQInteger idx) {
    SQUserPointer up = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &up, const_cast<char *>(kFileTypeTag))) || up == nullptr) return nullptr;
    return static_cast<FileStream *>(static_cast<Stream *>(up));
}

// fopen modes: r, w or a, then an optional '+' and 'b' in either order.
bool is_valid_mode(std::string_view mode) {
    if (mode.empty() || std::strchr("rwa", mode[0]) == nullptr || mode.size() > 3) return false;
    const std::string_view rest = mode.substr(1);
    if (rest.size() == 2 && rest[0] == rest[1]) return false;
    for (char c : rest) {
        if (c != '+' && c != 'b') return false;
    }
    return true;
}

std::FILE *open_argument(HSQUIRRELVM v, bool &owned, SQRESULT &result) {
    result = SQ_OK;
    owned = true;
    if (sq_gettype(v, 2) == OT_USERPOINTER) {
        SQUserPointer pointer = nullptr;
        sq_getuserpointer(v, 2, &pointer);
        owned = false;
        return static_cast<std::FILE *>(pointer);
    }
    std::string path;
    const std::string mode(string_argument(v, 3));
    if (sq_gettype(v, 2) != OT_STRING || !is_valid_mode(mode)) {
        result = sq_throwerror(v, "cannot open file");
        return nullptr;
    }
    result = c_string_argument(v, 2, path);
    if (SQ_FAILED(result)) return nullptr;
    std::FILE *file = std::fopen(path.c_str(), mode.c_str());
    if (file == nullptr) result = sq_throwerror(v, "cannot open file");
    return file;
}

SQInteger file_constructor(HSQUIRRELVM v) {
    bool owned = true;
    SQRESULT result = SQ_OK;
    std::FILE *file = open_argument(v, owned, result);
    if (SQ_FAILED(result)) return result;
    if (file == nullptr) return sq_throwerror(v, "cannot open file");
    FileStream *stream = new (std::nothrow) FileStream(file, owned);
    if (stream == nullptr) {
        if (owned) std::fclose(file);
        return sq_throwerror(v, "out of memory");
    }
    if (SQ_FAILED(sq_setinstanceup(v, 1, static_cast<Stream *>(stream)))) {
        delete stream;
        return sq_throwerror(v, "cannot create file");
    }
    sq_setreleasehook(v, 1, release_file);
    return 0;
}

SQInteger file_close(HSQUIRRELVM v) {
    FileStream *stream = file_at(v, 1);
    if (stream == nullptr) return sq_throwerror(v, "invalid type tag");
    stream->close();
    return 0;
}

SQInteger file_typeof(HSQUIRRELVM v) {
    sq_pushstring(v, "file", -1);
    return 1;
}

const SQRegFunction kFileMethods[] = {
    // A file is always opened with a mode, as in the reference library.
    {"constructor", file_constructor, 3, "x.s|o"},
    {"close", file_close, 1, "x"},
    {"_typeof", file_typeof, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

SQInteger io_loadfile(HSQUIRRELVM v) {
    SQBool printerror = SQFalse;
    if (sq_gettop(v) >= 3) sq_getbool(v, 3, &printerror);
    std::string path;
    if (SQ_FAILED(c_string_argument(v, 2, path))) return SQ_ERROR;
    return SQ_SUCCEEDED(sqstd_loadfile(v, path.c_str(), printerror)) ? 1 : SQ_ERROR;
}

SQInteger io_dofile(HSQUIRRELVM v) {
    SQBool printerror = SQFalse;
    if (sq_gettop(v) >= 3) sq_getbool(v, 3, &printerror);
    std::string path;
    if (SQ_FAILED(c_string_argument(v, 2, path))) return SQ_ERROR;
    sq_push(v, 1);
    return SQ_SUCCEEDED(sqstd_dofile(v, path.c_str(), SQTrue, printerror)) ? 1 : SQ_ERROR;
}

SQInteger io_writeclosuretofile(HSQUIRRELVM v) {
    std::string path;
    if (SQ_FAILED(c_string_argument(v, 2, path))) return SQ_ERROR;
    sq_push(v, 3);
    // Answers the closure it wrote, as the reference library does.
    return SQ_SUCCEEDED(sqstd_writeclosuretofile(v, path.c_str())) ? 1 : SQ_ERROR;
}

const SQRegFunction kIoFunctions[] = {
    {"loadfile", io_loadfile, -2, ".sb"},
    {"dofile", io_dofile, -2, ".sb"},
    {"writeclosuretofile", io_writeclosuretofile, 3, ".sc"},
    {nullptr, nullptr, 0, nullptr},
};

SQRESULT add_standard_stream(HSQUIRRELVM v, const SQChar *name, std::FILE *file) {
    sq_pushstring(v, name, -1);
    if (SQ_FAILED(sqstd_createfile(v, file, SQFalse))) {
        sq_poptop(v);
        return SQ_ERROR;
    }
    sq_newslot(v, -3, SQFalse);
    return SQ_OK;
}

}  // namespace

}  // namespace acorn::stdlib

using namespace acorn::stdlib;

extern "C" {

SQFILE sqstd_fopen(const SQChar *filename, const SQChar *mode) { return std::fopen(filename, mode); }

SQInteger sqstd_fread(SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file) {
    if (size <= 0 || count <= 0) return 0;
    return static_cast<SQInteger>(std::fread(buffer, static_cast<std::size_t>(size), static_cast<std::size_t>(count),
                                             static_cast<std::FILE *>(file)));
}

SQInteger sqstd_fwrite(const SQUserPointer buffer, SQInteger size, SQInteger count, SQFILE file) {
    if (size <= 0 || count <= 0) return 0;
    return static_cast<SQInteger>(std::fwrite(buffer, static_cast<std::size_t>(size), static_cast<std::size_t>(count),
                                              static_cast<std::FILE *>(file)));
}

SQInteger sqstd_fseek(SQFILE file, SQInteger offset, SQInteger origin) {
    int whence = SEEK_SET;
    if (origin == SQ_SEEK_CUR) whence = SEEK_CUR;
    if (origin == SQ_SEEK_END) whence = SEEK_END;
    return std::fseek(static_cast<std::FILE *>(file), static_cast<long>(offset), whence);
}

SQInteger sqstd_ftell(SQFILE file) { return static_cast<SQInteger>(std::ftell(static_cast<std::FILE *>(file))); }

SQInteger sqstd_fflush(SQFILE file) { return std::fflush(static_cast<std::FILE *>(file)); }

SQInteger sqstd_fclose(SQFILE file) { return std::fclose(static_cast<std::FILE *>(file)); }

SQInteger sqstd_feof(SQFILE file) { return std::feof(static_cast<std::FILE *>(file)); }

SQRESULT sqstd_createfile(HSQUIRRELVM v, SQFILE file, SQBool own) {
    const SQInteger top = sq_gettop(v);
    if (SQ_FAILED(push_registry_value(v, kFileClassKey))) return sq_throwerror(v, "the io library is not registered");
    sq_pushroottable(v);
    sq_pushuserpointer(v, file);
    sq_pushnull(v);  // the constructor's mode, unused for an open file
    if (SQ_FAILED(sq_call(v, 3, SQTrue, SQFalse))) {
        sq_settop(v, top);
        return SQ_ERROR;
    }
    sq_remove(v, -2);
    FileStream *stream = file_at(v, -1);
    if (stream == nullptr) {
        sq_settop(v, top);
        return sq_throwerror(v, "cannot create file");
    }
    stream->set_owned(own != SQFalse);
    return SQ_OK;
}

SQRESULT sqstd_getfile(HSQUIRRELVM v, SQInteger idx, SQFILE *file) {
    FileStream *stream = file_at(v, idx);
    if (stream == nullptr) return sq_throwerror(v, "invalid type tag");
    *file = stream->file();
    return SQ_OK;
}

SQRESULT sqstd_register_iolib(HSQUIRRELVM v) {
    SQInteger target = 0;
    if (SQ_FAILED(registration_target(v, target)) || SQ_FAILED(push_stream_base_class(v))) return SQ_ERROR;
    if (SQ_FAILED(define_class(v, true, kFileTypeTag, kFileMethods, kFileClassKey, target, "file"))) return SQ_ERROR;
    add_functions(v, kIoFunctions);
    if (SQ_FAILED(add_standard_stream(v, "stdout", stdout))) return SQ_ERROR;
    if (SQ_FAILED(add_standard_stream(v, "stdin", stdin))) return SQ_ERROR;
    return add_standard_stream(v, "stderr", stderr);
}

}  // extern "C"
