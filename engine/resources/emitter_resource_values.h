#pragma once

#include <squirrel.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "resources/emitter_resource_ranges.h"
#include "script/script_object.h"

namespace me {

// Readers for the values of emitter defs. Each answers nothing when the
// value has another shape, and the caller decides whether that keeps a
// default or fails the load.

std::optional<float> script_float(HSQUIRRELVM vm, const ScriptObject& value);
// Floats are truncated toward zero; values beyond 32 bits are clamped.
std::optional<int32_t> script_int(HSQUIRRELVM vm, const ScriptObject& value);
std::optional<std::string> script_string(HSQUIRRELVM vm, const ScriptObject& value);
std::optional<std::vector<ScriptObject>> script_array_elements(HSQUIRRELVM vm, const ScriptObject& value);

// A number n as [n, n], or the first two elements of an array of at least
// two numbers.
template <class T>
std::optional<std::array<T, 2>> script_number_pair(HSQUIRRELVM vm, const ScriptObject& value);

// [a, max(a, b)] from script_number_pair.
std::optional<EmitterRange> script_emitter_range(HSQUIRRELVM vm, const ScriptObject& value);
std::optional<EmitterIntRange> script_emitter_int_range(HSQUIRRELVM vm, const ScriptObject& value);
// (a, b - a) from script_number_pair, so a number n gives (n, 0).
std::optional<ParticleRange> script_particle_range(HSQUIRRELVM vm, const ScriptObject& value);

// An array of exactly two numbers.
std::optional<std::array<float, 2>> script_vec2(HSQUIRRELVM vm, const ScriptObject& value);
// A colour as sprite defs give it (up to five 0-255 numbers, missing ones
// 255): its premultiplied red, green and blue in 0-1.
std::optional<std::array<float, 3>> script_rgb(HSQUIRRELVM vm, const ScriptObject& value);

}  // namespace me
