#include "network/state_manager.h"

#include <ctime>

#include "core/log.h"
#include "core/log_format.h"
#include "core/paths.h"
#include "core/std_file.h"
#include "network/state_buffer_check.h"
#include "network/state_failure.h"
#include "network/state_object.h"
#include "network/state_reader.h"
#include "network/state_text_dump.h"
#include "network/state_writer.h"
#include "script/script_host.h"

namespace me {

StateManager* g_state_manager = nullptr;

StateManager& running_state_manager() {
    if (g_state_manager == nullptr)
        fail_state("The state manager does not exist.");
    return *g_state_manager;
}

namespace {

constexpr uint8_t kMaxRunLength = 255;

HSQUIRRELVM script_vm() { return g_script_host != nullptr ? g_script_host->vm() : nullptr; }

// The name under which the root table holds the class, for messages.
std::string class_display_name(HSQUIRRELVM vm, const HSQOBJECT& script_class) {
    const SQInteger top = sq_gettop(vm);
    std::string name = "<unnamed class>";
    sq_pushroottable(vm);
    sq_pushnull(vm);
    while (SQ_SUCCEEDED(sq_next(vm, top + 1))) {
        HSQOBJECT value;
        sq_getstackobj(vm, -1, &value);
        const SQChar* key = nullptr;
        if (value._type == OT_CLASS && value._unVal.pClass == script_class._unVal.pClass &&
            SQ_SUCCEEDED(sq_getstring(vm, -2, &key))) {
            name = key;
            break;
        }
        sq_pop(vm, 2);
    }
    sq_settop(vm, top);
    return name;
}

std::string utc_time_text() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &parts);
    return text;
}

void write_save_file(const std::string& name, std::span<const uint8_t> bytes) {
    const std::string path = paths::save_file(name);
    paths::create_directories(path);
    StdFile file;
    if (!file.open(path, StdFile::Write))
        return;
    file.write(bytes.data(), bytes.size());
    if (!file.close())
        log_error("Error closing file. Disk full?");
}

}  // namespace

StateManager::~StateManager() {
    // Objects that outlive the manager must not reach it from their destructors.
    for (StateObject* object : m_objects)
        if (object != nullptr)
            object->forget_registration();
    if (g_state_manager == this)
        g_state_manager = nullptr;
}

// ---------------------------------------------------------------- classes

void StateManager::register_class(const std::string& name) {
    if (m_classes.size() >= kMaxClasses)
        fail_state("Too many serializable classes registered.");
    for (const auto& info : m_classes)
        if (info->name == name)
            fail_state(format_message("Class %1 registered multiple times.", name));
    HSQUIRRELVM vm = script_vm();
    if (vm == nullptr)
        fail_state(format_message("Failed to register class %1 as serializable state class type.", name));
    m_classes.push_back(
        std::make_unique<StateClassInfo>(read_state_class(vm, name, static_cast<uint16_t>(m_classes.size()))));
}

const StateClassInfo* StateManager::find_class(const HSQOBJECT& script_class) const {
    for (const auto& info : m_classes)
        if (info->is_class(script_class))
            return info.get();
    return nullptr;
}

// ---------------------------------------------------------------- objects

void StateManager::register_object(StateObject& object, HSQUIRRELVM vm, SQInteger instance_index) {
    HSQOBJECT script_class;
    sq_resetobject(&script_class);
    if (SQ_SUCCEEDED(sq_getclass(vm, instance_index))) {
        sq_getstackobj(vm, -1, &script_class);
        sq_pop(vm, 1);
    }
    const StateClassInfo* info = find_class(script_class);
    if (info == nullptr)
        fail_state(format_message("Tried to create state object of unregistered type %1.",
                                  class_display_name(vm, script_class)));
    check_creation_allowed(*info);
    if (info->world_seed && !m_objects.empty())
        fail_state(format_message("Tried to create multiple world seeds (object with index %1 of type %2.",
                                  m_objects.size(), info->name));
    if (!info->world_seed && m_objects.empty())
        fail_state(format_message("Tried to create instance of %1 as the first object, but the class is not a world seed.",
                                  info->name));
    if (m_objects.size() >= kMaxObjects)
        fail_state("Too many objects registed");
    object.set_registration(info->index, static_cast<uint16_t>(m_objects.size()));
    m_objects.push_back(&object);
}

void StateManager::check_creation_allowed(const StateClassInfo& info) const {
    if (m_map_state == MapState::CreatingMap) {
        if (!info.is_static)
            fail_state(format_message("Tried to create state object of dynamic type %1 while creating the map.",
                                      info.name));
        return;
    }
    if (m_map_state != MapState::Game && m_map_state != MapState::RollbackCreate)
        fail_state(format_message("Tried to create state object in state %1", map_state_name(m_map_state)));
    if (info.is_static)
        fail_state(format_message("Tried to create state object of static type %1 during gameplay.", info.name));
}

void StateManager::unregister_object(StateObject& object) {
    if (object.class_index() >= m_classes.size())
        fail_state(format_message("Tried to destroy state object of unsupported type %1", object.class_index()));
    check_destruction_allowed(object);
    const uint16_t index = object.object_index();
    if (index >= m_objects.size())
        fail_state(format_message("Tried to destroy unregistered state object ; object id = %1, number of registered "
                                  "objects = %2",
                                  index, m_objects.size()));
    if (m_objects[index] != &object)
        fail_state(format_message(
            "Tried to destroy state object with invalid object id %1, different object registered at that index",
            index));
    m_objects[index] = nullptr;
    m_holes = true;
}

void StateManager::check_destruction_allowed(const StateObject& object) {
    if (m_map_state == MapState::DestroyingMap)
        return;
    const StateClassInfo& info = *m_classes[object.class_index()];
    if (info.is_static) {
        if (m_map_state != MapState::CreatingMap)
            fail_state(format_message("Tried to destroy state object of static type %1 in invalid state %2", info.name,
                                      map_state_name(m_map_state)));
        if (m_destroyed_static_class == nullptr)
            m_destroyed_static_class = &info;
        return;
    }
    if (m_map_state != MapState::Game && m_map_state != MapState::RollbackDestroy)
        fail_state(format_message("Tried to destroy state object of dynamic type %1 in invalid state %2", info.name,
                                  map_state_name(m_map_state)));
}

void StateManager::drop_trailing_holes() {
    while (!m_objects.empty() && m_objects.back() == nullptr)
        m_objects.pop_back();
}

void StateManager::compact_objects() {
    if (!m_holes)
        return;
    drop_trailing_holes();
    for (size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i] != nullptr)
            continue;
        m_objects[i] = m_objects.back();
        m_objects[i]->set_object_index(static_cast<uint16_t>(i));
        m_objects.pop_back();
        drop_trailing_holes();
    }
    m_holes = false;
}

// ---------------------------------------------------------------- saving

StateBuffer StateManager::build_state() {
    compact_objects();
    StateBuffer buffer;
    buffer.reserve(m_last_state_size);
    buffer.write_u16(static_cast<uint16_t>(m_static_count));
    buffer.write_u16(static_cast<uint16_t>(m_objects.size()));
    for (size_t i = 0; i < m_objects.size();) {
        const uint16_t class_index = m_objects[i]->class_index();
        uint8_t run = 1;
        while (i + run < m_objects.size() && run < kMaxRunLength && m_objects[i + run]->class_index() == class_index)
            ++run;
        buffer.write_u8(run);
        buffer.write_u16(class_index);
        i += run;
    }
    StateWriter writer(script_vm(), buffer, m_objects);
    for (const StateObject* object : m_objects)
        writer.write_object(*object, *m_classes[object->class_index()]);
    buffer.finish();
    m_last_state_size = buffer.bytes().size();
    return buffer;
}

void StateManager::save(int32_t slot, int32_t debug_level) {
    compact_objects();
    if (!slot_index_ok(slot, "Invalid save slot index %1"))
        return;
    put_in_slot(slot, nullptr);
    const std::string time_text = debug_level > 0 ? utc_time_text() : std::string();
    if (debug_level > 1) {
        const std::string text = dump_text();
        write_save_file(format_message("save_debug_%1_%2.txt", time_text, slot),
                        std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }
    auto buffer = std::make_unique<StateBuffer>(build_state());
    if (debug_level > 0) {
        write_save_file(format_message("save_%1_%2.bin", time_text, slot), buffer->bytes());
        log_info(format_message("State saved to slot index %1, size %2, CRC 0x%3", slot, buffer->payload_length(),
                                Hex{buffer->crc()}));
    }
    put_in_slot(slot, std::move(buffer));
}

std::string StateManager::dump_text() const { return state_dump_text(script_vm(), *this); }

// ---------------------------------------------------------------- header checks

bool StateManager::verify_world_object(StateBuffer& buffer) {
    if (m_objects.size() != 1) {
        log_warning(format_message("%1 state objects exist while loading the world object's state. World object "
                                   "should be the only one created at this point.",
                                   m_objects.size()));
        return false;
    }
    const uint16_t static_count = buffer.read_u16();
    const uint16_t total = buffer.read_u16();
    if (buffer.has_error()) {
        log_warning("Invalid state buffer, error while reading object counts");
        return false;
    }
    if (total < static_count) {
        log_warning(format_message("Invalid state buffer, total count %1 < static count %2", total, static_count));
        return false;
    }
    uint32_t covered = 0;
    while (covered < total) {
        const uint8_t run = buffer.read_u8();
        const uint16_t class_index = buffer.read_u16();
        if (buffer.has_error() || run == 0) {
            log_warning("Invalid state buffer, error while reading static object types");
            return false;
        }
        if (covered == 0 && class_index != m_objects[0]->class_index()) {
            log_warning(format_message("Mismatching world saved in state buffer, saved world object has type %1, "
                                       "while current world object has type %2",
                                       class_index, m_objects[0]->class_index()));
            return false;
        }
        covered += run;
    }
    if (covered != total) {
        log_warning(format_message("Invalid state buffer, %1 RLE-compressed types left at the end of the type section",
                                   covered - total));
        return false;
    }
    return true;
}

bool StateManager::verify_static_objects(StateBuffer& buffer) {
    const uint16_t static_count = buffer.read_u16();
    const uint16_t total = buffer.read_u16();
    if (buffer.has_error()) {
        log_warning("Invalid state buffer, error while reading object counts");
        return false;
    }
    if (static_count != m_static_count) {
        log_warning(format_message("Mismatching world saved in state buffer, saved world has %1 static objects, "
                                   "current world has %2 static objects",
                                   static_count, m_static_count));
        return false;
    }
    if (total < static_count) {
        log_warning(format_message("Invalid state buffer, total count %1 < static count %2", total, static_count));
        return false;
    }
    uint32_t covered = 0;
    while (covered < static_count) {
        const uint8_t run = buffer.read_u8();
        const uint16_t class_index = buffer.read_u16();
        if (buffer.has_error() || run == 0) {
            log_warning("Invalid state buffer, error while reading static object types");
            return false;
        }
        for (uint32_t i = covered; i < covered + run && i < static_count; ++i)
            if (m_objects[i]->class_index() != class_index) {
                log_warning(format_message("Mismatching world saved in state buffer, saved object at index %1 has "
                                           "type %2, while current world's object at that index has type %3",
                                           i, class_index, m_objects[i]->class_index()));
                return false;
            }
        covered += run;
    }
    if (covered != static_count) {
        log_warning(format_message(
            "Invalid state buffer, %1 RLE-compressed types left at the end of the static type section",
            covered - static_count));
        return false;
    }
    return true;
}

bool StateManager::restore_objects(StateBuffer& buffer, bool require_end) {
    StateReader reader(script_vm(), buffer, m_objects);
    for (size_t i = 0; i < m_objects.size(); ++i)
        if (!reader.read_object(*m_objects[i], *m_classes[m_objects[i]->class_index()], static_cast<uint32_t>(i)))
            return false;
    if (buffer.has_error()) {
        log_warning("State buffer read error while restoring object state");
        return false;
    }
    if (require_end && buffer.readable() > 0) {
        log_warning(format_message(
            "%1 bytes of unused data still remaining in state buffer after all objects have been restored",
            buffer.readable()));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- slots

bool StateManager::slot_index_ok(int32_t slot, const char* message) const {
    if (slot >= 0 && slot < kMaxSlots)
        return true;
    log_warning(format_message(message, slot));
    return false;
}

StateBuffer* StateManager::stored_state(int32_t slot) const {
    if (slot < 0 || static_cast<size_t>(slot) >= m_slots.size())
        return nullptr;
    return m_slots[static_cast<size_t>(slot)].get();
}

const StateBuffer* StateManager::slot_buffer(int32_t slot) const { return stored_state(slot); }

void StateManager::put_in_slot(int32_t slot, std::unique_ptr<StateBuffer> buffer) {
    if (static_cast<size_t>(slot) >= m_slots.size())
        m_slots.resize(static_cast<size_t>(slot) + 1);
    m_slots[static_cast<size_t>(slot)] = std::move(buffer);
}

bool StateManager::is_state(int32_t slot) const {
    const StateBuffer* buffer = stored_state(slot);
    return buffer != nullptr && buffer->is_valid_state();
}

uint32_t StateManager::get_state_crc(int32_t slot) const {
    const StateBuffer* buffer = stored_state(slot);
    return buffer != nullptr && buffer->is_finished() ? buffer->crc() : 0;
}

void StateManager::delete_state(int32_t slot) {
    if (!slot_index_ok(slot, "Invalid save slot index %1"))
        return;
    if (static_cast<size_t>(slot) < m_slots.size())
        m_slots[static_cast<size_t>(slot)].reset();
}

void StateManager::delete_all_states() { m_slots.clear(); }

bool StateManager::restore_from_blob(std::span<const uint8_t> bytes, int32_t slot) {
    if (!slot_index_ok(slot, "Invalid save slot index %1"))
        return false;
    auto buffer = std::make_unique<StateBuffer>(bytes);
    if (!buffer->verify()) {
        log_warning(format_message("State of %1 bytes failed its CRC check, save slot index %2 is left as it was",
                                   bytes.size(), slot));
        return false;
    }
    put_in_slot(slot, std::move(buffer));
    return true;
}

std::optional<std::vector<uint8_t>> StateManager::store_to_blob(int32_t slot) const {
    if (!slot_index_ok(slot, "Invalid save slot index %1"))
        return std::nullopt;
    const StateBuffer* buffer = stored_state(slot);
    if (buffer == nullptr) {
        log_warning(format_message("No saved state in slot index %1", slot));
        return std::nullopt;
    }
    return std::vector<uint8_t>(buffer->bytes().begin(), buffer->bytes().end());
}

bool StateManager::accepts_received_state() const {
    if (m_map_state == MapState::Menu)
        return true;
    log_warning(format_message("Can receive initial state only in menu state, not in %1", map_state_name(m_map_state)));
    return false;
}

bool StateManager::receive_complete_state(std::span<const uint8_t> bytes) {
    if (!accepts_received_state())
        return false;
    auto buffer = std::make_unique<StateBuffer>(bytes);
    if (!buffer->verify()) {
        log_warning("Failed to finish initial state message, probably crc mismatch");
        return false;
    }
    if (stored_state(0) != nullptr)
        log_warning("Save state at index 0 already exists when the first part of the initial state has been "
                    "received. Replacing the save");
    put_in_slot(0, std::move(buffer));
    return true;
}

const StateBuffer* StateManager::state_to_send(int32_t slot) const {
    if (m_map_state != MapState::Game) {
        log_warning(format_message("Can send saved state only in game state, not in %1", map_state_name(m_map_state)));
        return nullptr;
    }
    const StateBuffer* buffer = stored_state(slot);
    if (buffer == nullptr) {
        log_warning(format_message("Invalid save slot index %1", slot));
        return nullptr;
    }
    if (!buffer->is_valid_state()) {
        log_warning(format_message("Unfinished or failed save slot index %1", slot));
        return nullptr;
    }
    return buffer;
}

// ---------------------------------------------------------------- map states

void StateManager::begin_create_map() {
    if (m_map_state != MapState::Menu)
        fail_state(format_message("Can't start creating map in state %1", map_state_name(m_map_state)));
    m_static_count = 0;
    m_destroyed_static_class = nullptr;
    m_map_state = MapState::CreatingMap;
}

void StateManager::map_created() {
    if (m_map_state != MapState::CreatingMap)
        fail_state(format_message("Called map_created while in state %1", map_state_name(m_map_state)));
    if (m_destroyed_static_class != nullptr)
        fail_state(format_message("Tried to start gameplay after at least one object of static type %1 has been "
                                  "destroyed while creating map",
                                  m_destroyed_static_class->name));
    compact_objects();
    m_static_count = static_cast<int32_t>(m_objects.size());
    if (m_static_count == 0)
        fail_state("No static objects created during map creation");
    m_map_state = MapState::Game;
    log_info(format_message("%1 static objects created during map creation, advancing to game", m_static_count));
}

void StateManager::begin_destroy_map() {
    if (m_map_state != MapState::CreatingMap && m_map_state != MapState::Game)
        fail_state(format_message("Can't destroy map in state %1", map_state_name(m_map_state)));
    m_map_state = MapState::DestroyingMap;
}

void StateManager::end_destroy_map() {
    if (m_map_state != MapState::DestroyingMap)
        fail_state(format_message("Can't finish destroying map in state %1", map_state_name(m_map_state)));
    compact_objects();
    if (!m_objects.empty())
        fail_state(format_message("%1 state object(s) still alive in end_destroy_map(), one of them of type %2",
                                  m_objects.size(), m_classes[m_objects[0]->class_index()]->name));
    m_static_count = 0;
    m_map_state = MapState::Menu;
}

// A buffer is loadable when it is finished and passed its CRC check; a
// failed one is refused here, before anything reads it.
bool StateManager::loadable_slot(int32_t slot, const char* invalid_message) {
    const StateBuffer* buffer = stored_state(slot);
    if (buffer == nullptr) {
        log_warning(format_message(invalid_message, slot));
        return false;
    }
    if (!buffer->is_finished()) {
        log_warning(format_message("Saved buffer at slot index %1 is not finished", slot));
        return false;
    }
    if (buffer->has_error()) {
        log_warning(format_message("Saved buffer at slot index %1 failed its CRC check", slot));
        return false;
    }
    return true;
}

bool StateManager::load_world_object(int32_t slot) {
    if (m_map_state != MapState::CreatingMap)
        fail_state(
            format_message("Can load world object only in creating map state, not in %1", map_state_name(m_map_state)));
    if (!loadable_slot(slot, "Invalid slot index %1"))
        return false;
    // A copy: script code run while loading may replace the slot.
    StateBuffer buffer = *stored_state(slot);
    buffer.reset_read();
    if (!verify_world_object(buffer)) {
        log_warning(format_message("Saved buffer at slot index %1 does not match current world type", slot));
        return false;
    }
    StateBufferCheck check(m_classes);
    if (!check.check_first_record(buffer, *m_classes[m_objects[0]->class_index()]) ||
        !restore_objects(buffer, false)) {
        log_warning("Failed to load the world object");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- rollback

void StateManager::rollback(int32_t slot) {
    if (m_map_state != MapState::Game)
        fail_state(format_message("Can rollback only in game state, not in %1", map_state_name(m_map_state)));
    if (!loadable_slot(slot, "Invalid rollback slot index %1"))
        return;
    // A copy: the callbacks below may delete or replace the slot.
    StateBuffer buffer = *stored_state(slot);
    buffer.reset_read();
    if (!verify_static_objects(buffer)) {
        log_warning(format_message("Saved buffer at slot index %1 does not match current world seed", slot));
        return;
    }
    if (!check_whole_buffer(buffer)) {
        log_warning(format_message("Saved buffer at slot index %1 does not fit the registered classes, rollback "
                                   "refused",
                                   slot));
        return;
    }
    m_map_state = MapState::RollbackDestroy;
    destroy_dynamic_objects();
    std::vector<StateObject*> held(m_objects.begin(), m_objects.end());
    for (StateObject* object : held)
        object->acquire();
    m_map_state = MapState::RollbackCreate;
    if (!create_dynamic_objects(buffer, held))
        fail_state("Failed to create dynamic objects");
    m_map_state = MapState::RollbackLoad;
    if (!restore_objects(buffer, true))
        fail_state("Failed to load object state");
    m_map_state = MapState::RollbackFinalize;
    for (StateObject* object : held)
        object->release();
    run_post_rollback_callbacks();
    m_map_state = MapState::Game;
}

bool StateManager::check_whole_buffer(StateBuffer& buffer) {
    const int32_t after_static_runs = buffer.read_position();
    StateBufferCheck check(m_classes);
    const bool ok = check.check_state(buffer, std::span(m_objects).first(static_cast<size_t>(m_static_count)));
    buffer.reset_read();
    buffer.set_read_position(after_static_runs);
    return ok;
}

void StateManager::call_object_method(const StateObject& object, const std::string& method, bool is_post_rollback) {
    HSQUIRRELVM vm = script_vm();
    const SQInteger top = sq_gettop(vm);
    const_cast<StateObject&>(object).ownership().push_instance(vm);
    sq_pushstring(vm, method.c_str(), static_cast<SQInteger>(method.size()));
    bool ok = SQ_SUCCEEDED(sq_get(vm, top + 1));
    if (ok) {
        sq_push(vm, top + 1);
        ok = SQ_SUCCEEDED(sq_call(vm, 1, SQFalse, SQTrue));
    }
    if (!ok) {
        const std::string error = g_script_host->last_error_text();
        const std::string& class_name = m_classes[object.class_index()]->name;
        sq_settop(vm, top);
        if (is_post_rollback) {
            log_warning(format_message("Post-rollback callback on object %1 of type %2 failed: %3",
                                       object.object_index(), class_name, error));
            fail_state("Post-rollback callback failed");
        }
        fail_state(format_message("Callback %1 on object %2 of type %3 failed: %4", method, object.object_index(),
                                  class_name, error));
    }
    sq_settop(vm, top);
}

void StateManager::destroy_dynamic_objects() {
    for (int32_t i = 0; i < m_static_count; ++i) {
        StateObject& object = *m_objects[static_cast<size_t>(i)];
        object.before_dynamic_destroy();
        const StateClassInfo& info = *m_classes[object.class_index()];
        if (info.destroy_callback)
            call_object_method(object, *info.destroy_callback, false);
    }
    compact_objects();
    if (m_objects.size() <= static_cast<size_t>(m_static_count))
        return;
    for (size_t i = static_cast<size_t>(m_static_count); i < m_objects.size(); ++i)
        log_warning(format_message("dynamic state object still alive after destroy_dynamic_objects() of type %1",
                                   m_classes[m_objects[i]->class_index()]->name));
    fail_state(format_message("%1 dynamic state object(s) still alive after destroy_dynamic_objects(), one of them of "
                              "type %2 (more object types in log).",
                              m_objects.size() - static_cast<size_t>(m_static_count),
                              m_classes[m_objects[static_cast<size_t>(m_static_count)]->class_index()]->name));
}

bool StateManager::create_dynamic_objects(StateBuffer& buffer, std::vector<StateObject*>& held) {
    const std::span<const uint8_t> bytes = buffer.bytes();
    const uint32_t total = (uint32_t{bytes[2]} << 8) | bytes[3];
    HSQUIRRELVM vm = script_vm();
    while (m_objects.size() < total) {
        const uint8_t run = buffer.read_u8();
        const uint16_t class_index = buffer.read_u16();
        if (buffer.has_error() || run == 0 || class_index >= m_classes.size()) {
            log_warning("Invalid state buffer, error while reading dynamic object types");
            return false;
        }
        const StateClassInfo& info = *m_classes[class_index];
        for (uint8_t i = 0; i < run; ++i) {
            StateObject* object = create_instance(vm, info);
            if (object == nullptr)
                return false;
            held.push_back(object);
        }
    }
    // A constructor that made further state objects would shift every index.
    return m_objects.size() == total;
}

StateObject* StateManager::create_instance(HSQUIRRELVM vm, const StateClassInfo& info) {
    const SQInteger top = sq_gettop(vm);
    info.script_class.push(vm);
    sq_pushroottable(vm);
    if (SQ_FAILED(sq_call(vm, 1, SQTrue, SQTrue))) {
        log_warning(format_message("Failed to create instance of type %1: %2", info.name,
                                   g_script_host->last_error_text()));
        sq_settop(vm, top);
        return nullptr;
    }
    SQUserPointer pointer = nullptr;
    sq_getinstanceup(vm, -1, &pointer, StateObject::kClassRecord.type_tag());
    auto* root = static_cast<GameObject*>(pointer);
    if (root == nullptr || !root->class_record().is_kind_of(StateObject::kClassRecord)) {
        log_warning(format_message("Failed to get C++ pointer to instance of type %1", info.name));
        sq_settop(vm, top);
        return nullptr;
    }
    auto* object = static_cast<StateObject*>(root);
    object->acquire();
    sq_settop(vm, top);
    return object;
}

void StateManager::run_post_rollback_callbacks() {
    for (size_t i = 0; i < m_objects.size(); ++i) {
        const StateClassInfo& info = *m_classes[m_objects[i]->class_index()];
        if (info.post_rollback_callback)
            call_object_method(*m_objects[i], *info.post_rollback_callback, true);
    }
}

}  // namespace me
