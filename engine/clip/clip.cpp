#include "clip/clip.h"

#include <algorithm>
#include <limits>

#include "clip/clip_controller.h"
#include "clip/clip_time.h"
#include "core/log.h"
#include "core/stable_sort.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"

namespace me::clip {

namespace {

int32_t tick_code(uint64_t ticks) {
    return static_cast<int32_t>(std::min<uint64_t>(ticks, std::numeric_limits<int32_t>::max()));
}

bool earlier(const std::pair<int32_t, ClipObject*>& a, const std::pair<int32_t, ClipObject*>& b) {
    return a.first < b.first;
}

}  // namespace

const ClassRecord Clip::kClassRecord{"Clip", &ClipObject::kClassRecord};

Clip::Clip() : ClipObject(true) {}

Clip::~Clip() { release_controllers(); }

bool Clip::init(ResourceRef<ClipResource> resource) {
    if (resource && resource->is_refused()) {
        log_error(format_message("Clip can't play clip resource '%1', it was refused when it was finished.",
                                 resource->get_name()));
        return false;
    }
    m_resource = std::move(resource);
    m_time = 0;
    m_previous_key = 0;
    m_current_key = 0;
    m_looping = false;
    m_render_within_parent = false;
    release_controllers();
    m_skin_sprites.clear();
    m_skin_names.clear();
    m_values.assign(m_resource ? m_resource->channel_count() : 0, 0u);
    if (m_resource)
        m_resource->evaluate(m_resource->locate(0), m_values);
    return true;
}

ScriptObject Clip::command_this(HSQUIRRELVM vm) const {
    if (m_command_handler.type() != OT_WEAKREF)
        return m_command_handler;
    const SQInteger top = sq_gettop(vm);
    m_command_handler.push(vm);
    ScriptObject target;
    if (SQ_SUCCEEDED(sq_getweakrefval(vm, -1)))
        target = ScriptObject(vm, -1);
    sq_settop(vm, top);
    return target;
}

bool Clip::is_at_end() const { return m_resource && !m_looping && m_time >= end_tick(); }

void Clip::evaluate_now() {
    const ClipSample sample = m_resource->locate(static_cast<uint32_t>(std::min<uint64_t>(m_time, duration())));
    m_resource->evaluate(sample, m_values);
    if (m_resource->key_count() == 0) {
        m_previous_key = 0;
        m_current_key = 0;
        return;
    }
    // Past a key's exact time the key counts as crossed.
    m_current_key = sample.key + (m_time != m_resource->key_time(sample.key) ? 1 : 0);
}

uint64_t Clip::step(uint64_t ticks) {
    const uint64_t remaining = end_tick() - m_time;
    const uint64_t taken = ticks < remaining ? ticks : remaining;
    m_time += taken;
    evaluate_now();
    update_controllers(tick_code(taken));
    m_previous_key = m_current_key;
    return taken;
}

void Clip::advance_in_time(int64_t ticks) {
    if (ticks <= 0)
        return;
    if (!m_resource) {
        update_controllers(tick_code(static_cast<uint64_t>(ticks)));
        return;
    }
    auto left = static_cast<uint64_t>(ticks);
    if (!m_looping || duration() == 0) {
        step(left);
        return;
    }
    while (left > 0) {
        const uint64_t taken = step(left);
        // A command may have given the clip another resource or none.
        if (!m_resource || !m_looping)
            return;
        if (m_time >= end_tick()) {
            m_time = 0;
            m_previous_key = 0;
            m_current_key = 0;
            evaluate_now();
            update_controllers(kClipLoop);
        } else if (taken == 0) {
            return;
        }
        left -= taken;
    }
}

void Clip::jump_to_time(int64_t ticks) {
    if (!m_resource) {
        m_time = 0;
        m_previous_key = 0;
        m_current_key = 0;
        update_controllers(kClipJump);
        return;
    }
    m_time = static_cast<uint64_t>(std::clamp<int64_t>(ticks, 0, static_cast<int64_t>(end_tick())));
    evaluate_now();
    m_previous_key = m_current_key;
    update_controllers(kClipJump);
}

bool Clip::add_controller(ClipController& controller) {
    if (controller.channel_extent() > m_values.size())
        return false;
    ResourceRef<ClipController> held(&controller);
    if (!controller.update(*this, kClipAttach))
        return false;
    controller.acquire();
    m_controllers.push_back(&controller);
    return true;
}

size_t Clip::controller_count() const {
    return static_cast<size_t>(std::count_if(m_controllers.begin(), m_controllers.end(),
                                             [](const ClipController* c) { return c != nullptr; }));
}

void Clip::refresh_controllers() { update_controllers(kClipRefresh); }

// A controller may run script (commands) that adds or drops controllers of
// this clip, so the list is walked by index and entries are only nulled
// until the outermost walk is done.
void Clip::update_controllers(int32_t code) {
    ++m_updating;
    for (size_t i = 0; i < m_controllers.size(); ++i) {
        ClipController* controller = m_controllers[i];
        if (controller == nullptr)
            continue;
        ResourceRef<ClipController> held(controller);
        if (!controller->update(*this, code) && i < m_controllers.size() && m_controllers[i] == controller) {
            m_controllers[i] = nullptr;
            controller->release();
        }
    }
    if (--m_updating == 0)
        std::erase(m_controllers, nullptr);
}

void Clip::release_controllers() {
    for (ClipController*& controller : m_controllers)
        if (ClipController* dropped = std::exchange(controller, nullptr))
            dropped->release();
    if (m_updating == 0)
        m_controllers.clear();
}

void Clip::apply_skin(std::span<const ScriptObject> names, bool refresh) {
    if (m_resource && names.size() != m_skin_sprites.size()) {
        m_skin_sprites = m_resource->sprites();
        m_skin_names = m_resource->sprite_names();
    }
    if (names.size() > m_skin_sprites.size())
        log_warning(format_message("Clip skin has %1 names for %2 sprites; the extra names are ignored.",
                                   names.size(), m_skin_sprites.size()));
    HSQUIRRELVM vm = resource_vm();
    for (size_t i = 0; i < std::min(names.size(), m_skin_sprites.size()); ++i) {
        if (names[i].is_null() || vm == nullptr)
            continue;
        const SQChar* text = nullptr;
        names[i].push(vm);
        const bool is_string = SQ_SUCCEEDED(sq_getstring(vm, -1, &text));
        sq_pop(vm, 1);
        m_skin_sprites[i] = is_string ? load_sprite(text) : ResourceRef<Sprite>();
        m_skin_names[i] = names[i];
    }
    if (refresh)
        refresh_controllers();
}

void Clip::reset_skin(bool refresh) {
    m_skin_sprites.clear();
    m_skin_names.clear();
    if (refresh)
        refresh_controllers();
}

const std::vector<ScriptObject>& Clip::sprite_names() const {
    static const std::vector<ScriptObject> kNone;
    if (has_skin())
        return m_skin_names;
    return m_resource ? m_resource->sprite_names() : kNone;
}

Sprite* Clip::sprite_at(int32_t index) const {
    const std::vector<ResourceRef<Sprite>>* sprites = has_skin() ? &m_skin_sprites
                                                      : m_resource ? &m_resource->sprites()
                                                                   : nullptr;
    if (sprites == nullptr || index < 0 || static_cast<size_t>(index) >= sprites->size())
        return nullptr;
    return (*sprites)[static_cast<size_t>(index)].get();
}

void Clip::collect(Clip& clip, const Color& parent_color, int32_t parent_z) {
    if (m_render_within_parent && parent() != nullptr) {
        ClipObject::collect(clip, parent_color, parent_z);
        return;
    }
    accumulate(parent_color, parent_z);
    clip.add_to_draw_list(effective_z_order(), *this);
}

void Clip::render(QuadBatch& batch, const Matrix2d* extra) {
    ClipObject::render(batch, extra);
    if (m_render_within_parent && parent() != nullptr)
        return;
    m_draw_list.clear();
    // The nodes of a clip are ordered among themselves: unset z orders
    // inherit the clip's own, or 0.
    const int32_t own_z = z_order() != kUnsetZOrder ? z_order() : 0;
    for (size_t i = 0; i < child_count(); ++i)
        child(i)->collect(*this, accumulated_color(), own_z);
    stable_sort_with_scratch(m_draw_list, m_sort_scratch, kInsertionSortLimit, earlier);
    for (const DrawEntry& entry : m_draw_list)
        entry.second->render(batch, extra);
    m_draw_list.clear();
}

}  // namespace me::clip
