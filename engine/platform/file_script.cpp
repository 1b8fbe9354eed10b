#include <sqstdblob.h>
#include <squirrel.h>

#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/file.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

// The whole string, NUL bytes included, so that a path cannot be cut short.
std::string_view whole_string(HSQUIRRELVM vm, SQInteger index, const SQChar* text) {
    return std::string_view(text, static_cast<size_t>(sq_getsize(vm, index)));
}

SQInteger open(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    File* file = nullptr;
    const SQChar* path = nullptr;
    const SQChar* mode = nullptr;
    const SQChar* location = "";
    if (!arguments.instance(1, file) || !arguments.string(2, path) || !arguments.string(3, mode) ||
        (arguments.has(4) && !arguments.string(4, location)))
        return arguments.fail();
    sq_pushbool(vm, file->open(whole_string(vm, 2, path), mode, location));
    return 1;
}

SQInteger close(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    File* file = nullptr;
    if (!arguments.instance(1, file))
        return arguments.fail();
    sq_pushbool(vm, file->close());
    return 1;
}

SQInteger read_line(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    File* file = nullptr;
    if (!arguments.instance(1, file))
        return arguments.fail();
    const std::optional<std::string> line = file->read_line();
    if (!line)
        sq_pushnull(vm);
    else
        sq_pushstring(vm, line->data(), static_cast<SQInteger>(line->size()));
    return 1;
}

SQInteger write_line(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    File* file = nullptr;
    const SQChar* text = nullptr;
    if (!arguments.instance(1, file) || !arguments.string(2, text))
        return arguments.fail();
    sq_pushbool(vm, file->write_line(whole_string(vm, 2, text)));
    return 1;
}

SQInteger read_blob(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    File* file = nullptr;
    if (!arguments.instance(1, file))
        return arguments.fail();
    const std::optional<std::string> bytes = file->read_rest();
    if (!bytes) {
        sq_pushnull(vm);
        return 1;
    }
    // An empty blob may have no data pointer: the new stack slot tells success.
    const SQInteger top = sq_gettop(vm);
    void* blob = sqstd_createblob(vm, static_cast<SQInteger>(bytes->size()));
    if (sq_gettop(vm) != top + 1 || (blob == nullptr && !bytes->empty()))
        fail_binding_call("sqstd_createblob( v, size )");
    if (!bytes->empty())
        std::memcpy(blob, bytes->data(), bytes->size());
    return 1;
}

SQInteger write_blob(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    File* file = nullptr;
    std::span<const uint8_t> bytes;
    if (!arguments.instance(1, file) || !arguments.blob(2, bytes))
        return arguments.fail();
    sq_pushbool(vm, file->write_bytes(bytes));
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<File>, 1, "x"},
    {"open", open},
    {"close", close},
    {"read_line", read_line},
    {"write_line", write_line},
    {"read_blob", read_blob},
    {"write_blob", write_blob},
};

const NativeClassBinding g_file_binding(File::kClassRecord, kMethods);

}  // namespace

}  // namespace me
