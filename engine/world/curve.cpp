#include "world/curve.h"

#include <string>
#include <vector>

#include "core/log.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"

namespace me {

namespace {

const ResourceClass g_curve_class(Curve::kClassRecord, resource_types::curve, make_resource<Curve>);

// The numbers of a script array, or nothing when it is not an array of
// numbers.
std::optional<std::vector<float>> read_numbers(HSQUIRRELVM vm, const ScriptObject& array) {
    if (array.type() != OT_ARRAY)
        return std::nullopt;
    const SQInteger top = sq_gettop(vm);
    array.push(vm);
    std::vector<float> numbers(static_cast<size_t>(sq_getsize(vm, -1)));
    bool all_numbers = true;
    for (size_t i = 0; i < numbers.size() && all_numbers; ++i) {
        sq_pushinteger(vm, static_cast<SQInteger>(i));
        all_numbers = SQ_SUCCEEDED(sq_rawget(vm, -2)) && SQ_SUCCEEDED(sq_getfloat(vm, -1, &numbers[i]));
        sq_settop(vm, top + 1);
    }
    sq_settop(vm, top);
    if (!all_numbers)
        return std::nullopt;
    return numbers;
}

void log_curve_error(const char* message, const std::string& name) { log_error(format_message(message, name)); }

}  // namespace

const ClassRecord Curve::kClassRecord{"Curve", &ResourceObject::kClassRecord};

Curve::Curve() : ResourceObject(resource_types::curve) {}

bool Curve::load() {
    const ScriptObject def = get_def();
    if (def.is_null()) {
        log_error(format_message("No def for curve '%1'.", get_name()));
        return false;
    }
    if (load_from_def(def))
        return true;
    log_error(format_message("Unable to load curve '%1'.", get_name()));
    return false;
}

bool Curve::load_from_def(const ScriptObject& def) {
    HSQUIRRELVM vm = resource_vm();
    const DefReader reader(vm, def);
    const std::optional<std::vector<float>> keys = read_numbers(vm, reader.array("keys"));
    if (!keys) {
        log_curve_error("Curve '%1': Invalid keys.", get_name());
        return false;
    }
    const std::optional<std::vector<float>> data = read_numbers(vm, reader.array("data"));
    if (!data) {
        log_curve_error("Curve '%1': Invalid data.", get_name());
        return false;
    }
    auto loaded = CurveTable::load(*keys, *data, reader.floating("time_scale", 1.0f));
    if (const CurveError* error = std::get_if<CurveError>(&loaded)) {
        log_curve_error(curve_error_message(*error), get_name());
        return false;
    }
    m_table = std::move(std::get<CurveTable>(loaded));
    return true;
}

}  // namespace me
