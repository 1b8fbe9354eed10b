#include <algorithm>
#include <cstring>
#include <string>

#include "core/log.h"
#include "core/std_file.h"
#include "script/script_host.h"

namespace me {

namespace {

struct MemoryReader {
    const std::string& bytes;
    size_t position = 0;
};

SQInteger read_from_memory(SQUserPointer reader_pointer, SQUserPointer destination, SQInteger size) {
    auto& reader = *static_cast<MemoryReader*>(reader_pointer);
    if (size <= 0)
        return 0;
    const size_t count = std::min(static_cast<size_t>(size), reader.bytes.size() - reader.position);
    std::memcpy(destination, reader.bytes.data() + reader.position, count);
    reader.position += count;
    return static_cast<SQInteger>(count);
}

}  // namespace

SQRESULT ScriptHost::load_script(std::string_view path) {
    std::string text;
    if (StdFile::exists(path) && StdFile::read_whole(path, text))
        return compile_file_text(path, text);
    return read_compiled_closure(path);
}

SQRESULT ScriptHost::compile_file_text(std::string_view path, const std::string& text) {
    const std::string source_name(path);
    if (SQ_SUCCEEDED(sq_compilebuffer(m_vm, text.data(), static_cast<SQInteger>(text.size()), source_name.c_str(),
                                      SQTrue)))
        return SQ_OK;
    return sq_throwerror(m_vm, compile_error_text().c_str());
}

SQRESULT ScriptHost::read_compiled_closure(std::string_view path) {
    std::string bytes;
    if (!StdFile::read_whole(std::string(path) + ".bin", bytes))
        return sq_throwerror(m_vm, format_message("Can't load '%1' file.", path).c_str());
    const SQInteger top = sq_gettop(m_vm);
    MemoryReader reader{bytes};
    if (SQ_SUCCEEDED(sq_readclosure(m_vm, read_from_memory, &reader)))
        return SQ_OK;
    sq_settop(m_vm, top);
    return sq_throwerror(m_vm, format_message("Can't load '%1' binary file.", path).c_str());
}

SQRESULT ScriptHost::run_script(std::string_view path, SQInteger first_extra_argument,
                                SQInteger extra_argument_count) {
    if (SQ_FAILED(load_script(path)))
        return SQ_ERROR;
    sq_pushroottable(m_vm);
    for (SQInteger i = 0; i < extra_argument_count; ++i)
        sq_push(m_vm, first_extra_argument + i);
    return sq_call(m_vm, extra_argument_count + 1, SQTrue, SQTrue);
}

}  // namespace me
