#include "resources/shader_def_reader.h"

#include <vector>

#include "resources/resource_def_reader.h"

namespace me {
namespace {

std::vector<ScriptObject> array_elements(HSQUIRRELVM vm, const ScriptObject& array) {
    std::vector<ScriptObject> elements;
    const SQInteger top = sq_gettop(vm);
    array.push(vm);
    const SQInteger size = sq_getsize(vm, -1);
    for (SQInteger index = 0; index < size; ++index) {
        sq_pushinteger(vm, index);
        if (SQ_SUCCEEDED(sq_rawget(vm, top + 1)))
            elements.emplace_back(vm, -1);
        sq_settop(vm, top + 1);
    }
    sq_settop(vm, top);
    return elements;
}

// Each entry read by read_entry when it is a table, else left empty.
template <class Entry, class ReadEntry>
std::optional<std::vector<std::optional<Entry>>> read_list(HSQUIRRELVM vm, const ScriptObject& def, const char* key,
                                                           ReadEntry read_entry) {
    const ScriptObject array = DefReader(vm, def).array(key);
    if (array.is_null())
        return std::nullopt;
    std::vector<std::optional<Entry>> entries;
    for (const ScriptObject& element : array_elements(vm, array)) {
        if (element.type() == OT_TABLE)
            entries.emplace_back(read_entry(DefReader(vm, element)));
        else
            entries.emplace_back(std::nullopt);
    }
    return entries;
}

ShaderAttributeDef read_attribute(const DefReader& entry) {
    return {entry.string("name"), entry.string("semantic"), entry.string("type")};
}

ShaderUniformDef read_uniform(const DefReader& entry) {
    const std::string name = entry.string("name");
    return {name, entry.string("type"), entry.string("property_name", name), entry.boolean("internal", false)};
}

std::optional<std::string> string_value(HSQUIRRELVM vm, const ScriptObject& value) {
    if (value.type() != OT_STRING)
        return std::nullopt;
    value.push(vm);
    const SQChar* text = nullptr;
    sq_getstring(vm, -1, &text);
    std::string result(text, static_cast<size_t>(sq_getsize(vm, -1)));
    sq_pop(vm, 1);
    return result;
}

// One file name, or an array of them whose texts make one source. An array
// holding anything but strings names no usable source.
std::optional<std::vector<std::string>> read_files(HSQUIRRELVM vm, const ScriptObject& def, const char* key) {
    const ScriptObject value = def_table_field(def, key);
    if (value.type() == OT_STRING)
        return std::vector<std::string>{*string_value(vm, value)};
    if (value.type() != OT_ARRAY)
        return std::nullopt;
    std::vector<std::string> files;
    for (const ScriptObject& element : array_elements(vm, value)) {
        std::optional<std::string> file = string_value(vm, element);
        if (!file)
            return std::nullopt;
        files.push_back(std::move(*file));
    }
    return files;
}

}  // namespace

ShaderDef read_shader_def(HSQUIRRELVM vm, const ScriptObject& def) {
    ShaderDef result;
    result.attributes = read_list<ShaderAttributeDef>(vm, def, "attributes", read_attribute);
    result.uniforms = read_list<ShaderUniformDef>(vm, def, "uniforms", read_uniform);
    result.vertex_shader = read_files(vm, def, "vertex_shader");
    result.pixel_shader = read_files(vm, def, "pixel_shader");
    return result;
}

}  // namespace me
