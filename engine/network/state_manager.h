#pragma once

#include <squirrel.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network/map_state.h"
#include "network/state_buffer.h"
#include "network/state_class_info.h"

namespace me {

class StateObject;

// The registry of state classes, the table of live state objects, the
// numbered save slots and the map state. Misuse by scripts is fatal; a
// buffer that is truncated, corrupted or from another world is refused
// with a warning and changes nothing.
class StateManager {
public:
    static constexpr size_t kMaxClasses = 65535;
    static constexpr size_t kMaxObjects = 65535;
    // Slots are indexed directly; a larger index is refused rather than
    // growing the list without bound.
    static constexpr int32_t kMaxSlots = 65536;

    StateManager() = default;
    StateManager(const StateManager&) = delete;
    StateManager& operator=(const StateManager&) = delete;
    ~StateManager();

    // Classes and objects.
    void register_class(const std::string& name);
    void register_object(StateObject& object, HSQUIRRELVM vm, SQInteger instance_index);
    void unregister_object(StateObject& object);
    void compact_objects();
    const StateClassInfo& class_info(uint16_t index) const { return *m_classes[index]; }
    size_t class_count() const { return m_classes.size(); }
    std::span<const std::unique_ptr<StateClassInfo>> classes() const { return m_classes; }
    std::span<StateObject* const> objects() const { return m_objects; }
    int32_t static_count() const { return m_static_count; }
    MapState map_state() const { return m_map_state; }

    // Saving and restoring.
    void save(int32_t slot, int32_t debug_level);
    StateBuffer build_state();
    // The debug text dump of what a save would hold now.
    std::string dump_text() const;
    bool verify_world_object(StateBuffer& buffer);
    bool verify_static_objects(StateBuffer& buffer);
    bool restore_objects(StateBuffer& buffer, bool require_end);

    // Slots. A slot holds a state only when its buffer is finished and
    // passed its CRC check.
    bool is_state(int32_t slot) const;
    uint32_t get_state_crc(int32_t slot) const;
    void delete_state(int32_t slot);
    void delete_all_states();
    // The bytes replace the slot's buffer only when their CRC checks out.
    bool restore_from_blob(std::span<const uint8_t> bytes, int32_t slot);
    std::optional<std::vector<uint8_t>> store_to_blob(int32_t slot) const;
    const StateBuffer* slot_buffer(int32_t slot) const;

    // State transfer. A complete state received from a peer goes to slot 0
    // (menu only); false, with a warning, when it fails its CRC check or
    // arrives in another map state, and slot 0 is then left as it was.
    bool receive_complete_state(std::span<const uint8_t> bytes);
    // Whether a state may be received now (menu only); false with the
    // warning that says why.
    bool accepts_received_state() const;
    // The slot's buffer when it may be sent now (game state, a valid
    // state); null with the warning that says why.
    const StateBuffer* state_to_send(int32_t slot) const;

    // Map state machine.
    void begin_create_map();
    void map_created();
    void begin_destroy_map();
    void end_destroy_map();
    bool load_world_object(int32_t slot);
    void rollback(int32_t slot);
    void tick_pregame() {}
    void tick_postgame() { compact_objects(); }

private:
    const StateClassInfo* find_class(const HSQOBJECT& script_class) const;
    void check_creation_allowed(const StateClassInfo& info) const;
    void check_destruction_allowed(const StateObject& object);
    void drop_trailing_holes();
    // Valid, non-negative and inside kMaxSlots, else a warning naming slot.
    bool slot_index_ok(int32_t slot, const char* message) const;
    StateBuffer* stored_state(int32_t slot) const;
    void put_in_slot(int32_t slot, std::unique_ptr<StateBuffer> buffer);
    bool loadable_slot(int32_t slot, const char* invalid_message);

    // Rollback steps.
    bool check_whole_buffer(StateBuffer& buffer);
    void destroy_dynamic_objects();
    bool create_dynamic_objects(StateBuffer& buffer, std::vector<StateObject*>& held);
    // A new instance of the class, constructed by script, with one native
    // reference taken; null with a warning on failure.
    StateObject* create_instance(HSQUIRRELVM vm, const StateClassInfo& info);
    void run_post_rollback_callbacks();
    // A failing call is fatal; a failing post-rollback callback is reported
    // with its own warning first.
    void call_object_method(const StateObject& object, const std::string& method, bool is_post_rollback);

    MapState m_map_state = MapState::Menu;
    std::vector<std::unique_ptr<StateClassInfo>> m_classes;
    std::vector<StateObject*> m_objects;
    int32_t m_static_count = 0;
    const StateClassInfo* m_destroyed_static_class = nullptr;
    bool m_holes = false;
    std::vector<std::unique_ptr<StateBuffer>> m_slots;
    // The size of the previous state, reserved up front for the next one.
    size_t m_last_state_size = 0;
};

extern StateManager* g_state_manager;

// The process's state manager for script functions; a fatal error when it
// does not exist.
StateManager& running_state_manager();

}  // namespace me
