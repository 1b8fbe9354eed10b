#include "clip/clip_resource.h"

#include <algorithm>

#include "clip/clip.h"
#include "core/log.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"
#include "script/native_class_arguments.h"
#include "script/script_push.h"

namespace me::clip {

namespace {

// The def's "_clip_resource" is the resource itself, built by the clip
// script; the def only gives it its name.
ResourceObject* resource_of_def(const std::optional<std::string>& name, const ScriptObject& def) {
    const ScriptObject member = def_table_field(def, "_clip_resource");
    if (member.is_null()) {
        log_error("Can't load clip resource, _clip_resource not found, def is not valid.");
        return nullptr;
    }
    HSQUIRRELVM vm = resource_vm();
    member.push(vm);
    ClipResource* resource = nullptr;
    NativeArguments arguments(vm);
    const bool is_clip_resource = arguments.instance(sq_gettop(vm), resource);
    sq_pop(vm, 1);
    if (!is_clip_resource) {
        log_error("Can't load clip resource, _clip_resource is not valid engine object.");
        return nullptr;
    }
    ResourceRef<ClipResource> held(resource);
    // Named only: the def holds the resource, so the resource holding the
    // def would keep both alive past the registry. A named resource finds
    // its def by name.
    resource->set_name(name);
    if (!resource->ensure_loaded())
        return nullptr;
    resource->acquire();
    return resource;
}

const ResourceClass g_clip_resource_class(ClipResource::kClassRecord, resource_types::clip, resource_of_def);

int64_t cell_count(int32_t key_count, int32_t stride) { return int64_t{key_count} * stride; }

}  // namespace

const ClassRecord ClipResource::kClassRecord{"ClipResource", &ResourceObject::kClassRecord};

ClipResource::ClipResource() : ResourceObject(resource_types::clip) {}

ClipResource::~ClipResource() = default;

bool ClipResource::load() {
    log_error(format_message("Unable to load clip resource '%1', clips doesn't use standard resource loading.",
                             get_name()));
    return false;
}

bool ClipResource::init_channels(int32_t key_count, int32_t channel_count, int32_t stride) {
    if (key_count < 0 || channel_count < 0 || stride < 0 || channel_count > kMaximumCellCount ||
        cell_count(key_count, stride) > kMaximumCellCount)
        return false;
    m_key_count = key_count;
    m_stride = stride;
    m_channels.assign(static_cast<size_t>(channel_count), ClipChannel{});
    m_key_data.assign(static_cast<size_t>(cell_count(key_count, stride)), 0u);
    return true;
}

bool ClipResource::is_channel(int64_t channel) const {
    return channel >= 0 && channel < static_cast<int64_t>(m_channels.size());
}

bool ClipResource::is_column(int64_t column) const { return column >= -1 && column < m_stride; }

size_t ClipResource::required_cell_count(int32_t column) const {
    return column >= 0 ? std::max<size_t>(1, static_cast<size_t>(m_key_count)) : 1;
}

void ClipResource::set_channel_data(size_t channel, ClipChannelType type, int32_t column,
                                    std::span<const uint32_t> cells) {
    ClipChannel& target = m_channels[channel];
    target.type = type;
    target.column = column;
    target.constant = cells[0];
    if (column < 0)
        return;
    for (int32_t key = 0; key < m_key_count; ++key)
        m_key_data[static_cast<size_t>(key) * static_cast<size_t>(m_stride) + static_cast<size_t>(column)] =
            cells[static_cast<size_t>(key)];
}

uint32_t ClipResource::channel_cell(size_t channel, int32_t key) const {
    const ClipChannel& source = m_channels[channel];
    if (source.column < 0 || m_stride <= 0 || key < 0 || key >= m_key_count)
        return source.constant;
    return m_key_data[static_cast<size_t>(key) * static_cast<size_t>(m_stride) + static_cast<size_t>(source.column)];
}

bool ClipResource::set_sprite_names(std::vector<ScriptObject> names) {
    HSQUIRRELVM vm = resource_vm();
    m_sprites.assign(names.size(), {});
    bool all_loaded = true;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].is_null())
            continue;
        const SQChar* text = nullptr;
        names[i].push(vm);
        const bool is_string = SQ_SUCCEEDED(sq_getstring(vm, -1, &text));
        sq_pop(vm, 1);
        if (is_string)
            m_sprites[i] = load_sprite(text);
        else
            log_error(format_message("Clip resource '%1': sprite name %2 is not a string.", get_name(), i));
        all_loaded = all_loaded && m_sprites[i];
    }
    m_sprite_names = std::move(names);
    return all_loaded;
}

bool ClipResource::finish() {
    // Keys closer than one tick would share their times, and a time between
    // them could not be placed.
    if (m_duration > 0 && m_key_count > 1 && m_duration < static_cast<uint32_t>(m_key_count - 1)) {
        log_error(format_message("Clip resource '%1' is refused: its duration of %2 ticks is too short for %3 keys.",
                                 get_name(), m_duration, m_key_count));
        add_state(Failed);
        return false;
    }
    add_state(Loaded);
    return true;
}

uint32_t ClipResource::key_time(int32_t key) const {
    if (m_duration == 0 || m_key_count <= 1 || key <= 0)
        return 0;
    return static_cast<uint32_t>(uint64_t{static_cast<uint32_t>(key)} * m_duration /
                                 static_cast<uint32_t>(m_key_count - 1));
}

ClipSample ClipResource::locate(uint32_t t) const {
    if (m_duration == 0 || m_key_count <= 1)
        return {};
    const uint64_t gaps = static_cast<uint32_t>(m_key_count - 1);
    ClipSample sample;
    sample.key = static_cast<int32_t>(std::min<uint64_t>(uint64_t{t} * gaps / m_duration, gaps));
    sample.next_key = sample.key + 1 < m_key_count ? sample.key + 1 : sample.key;
    const uint64_t t0 = key_time(sample.key);
    const uint64_t t1 = uint64_t{static_cast<uint32_t>(sample.key + 1)} * m_duration / gaps;
    // A refused resource could put two keys at one time; its fraction is 0.
    if (t1 <= t0 || t < t0)
        return sample;
    sample.fraction = static_cast<float>(t - t0) / static_cast<float>(t1 - t0);
    sample.fixed_fraction = static_cast<Fixed>(((t - t0) << FIXED_FRACTION_BITS) / (t1 - t0));
    return sample;
}

void ClipResource::evaluate(const ClipSample& sample, std::span<uint32_t> out) const {
    const size_t count = std::min(out.size(), m_channels.size());
    const bool has_keys = m_key_count > 0 && m_stride > 0;
    const size_t row = static_cast<size_t>(m_stride);
    const uint32_t* from = has_keys ? m_key_data.data() + static_cast<size_t>(sample.key) * row : nullptr;
    const uint32_t* to = has_keys ? m_key_data.data() + static_cast<size_t>(sample.next_key) * row : nullptr;
    for (size_t i = 0; i < count; ++i) {
        const ClipChannel& channel = m_channels[i];
        if (!has_keys || channel.column < 0) {
            out[i] = channel.constant;
            continue;
        }
        const auto column = static_cast<size_t>(channel.column);
        switch (channel.type) {
        case ClipChannelType::Float: {
            const float a = float_of_cell(from[column]);
            const float b = float_of_cell(to[column]);
            out[i] = cell_of_float(a + sample.fraction * (b - a));
            break;
        }
        case ClipChannelType::Int:
            out[i] = from[column];
            break;
        case ClipChannelType::Fixed:
            out[i] = cell_of_int(fixed_lerp(int_of_cell(from[column]), int_of_cell(to[column]),
                                            sample.fixed_fraction));
            break;
        }
    }
}

ResourceRef<Clip> instantiate_clip(const std::string& name) {
    const ResourceRef<ClipResource> resource = load_resource_as<ClipResource>(resource_types::clip, name);
    HSQUIRRELVM vm = resource_vm();
    if (!resource || vm == nullptr)
        return {};
    const SQInteger top = sq_gettop(vm);
    resource->instantiator().push(vm);
    sq_pushroottable(vm);
    push_object<EngineObject>(vm, resource.get());
    if (SQ_FAILED(sq_call(vm, 2, SQTrue, SQTrue))) {
        sq_getlasterror(vm);
        const SQChar* error = nullptr;
        const bool has_text = SQ_SUCCEEDED(sq_getstring(vm, -1, &error));
        log_error(format_message("Instantiating clip '%1' failed: %2", name, has_text ? error : "unknown error"));
        sq_settop(vm, top);
        return {};
    }
    NativeArguments arguments(vm);
    Clip* made = nullptr;
    if (!arguments.instance(sq_gettop(vm), made))
        made = nullptr;
    ResourceRef<Clip> result(made);
    sq_settop(vm, top);
    return result;
}

}  // namespace me::clip
