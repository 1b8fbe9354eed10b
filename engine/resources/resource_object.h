#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "resources/resource_type.h"
#include "script/engine_object.h"
#include "script/script_object.h"

namespace me {

// The base of every resource: the name and def it was built from, its entry
// in its type's instance table, and whether its one load attempt succeeded.
class ResourceObject : public EngineObject {
public:
    enum State : uint32_t { Loaded = 1, Failed = 2, Held = 4 };

    static const ClassRecord kClassRecord;

    ResourceObject() = default;
    // A resource of type whose set_name enters it in the type's instance table.
    explicit ResourceObject(ResourceType& type) : m_type(&type) {}
    ~ResourceObject() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // Builds the resource from its name and def; true on success.
    virtual bool load() { return true; }

    std::string get_name() const { return m_name.value_or(""); }
    bool has_name() const { return m_name.has_value(); }
    ScriptObject get_def() const;
    void set_name_and_def(const std::optional<std::string>& name, const ScriptObject& def);
    void set_name(const std::optional<std::string>& name);
    bool ensure_loaded();

    bool has_state(State flag) const { return (m_state & flag) != 0; }
    void add_state(State flag) { m_state |= flag; }

private:
    void leave_instance_table();

    ResourceType* m_type = nullptr;
    std::optional<std::string> m_name;
    ScriptObject m_def;
    ResourceInstanceTable* m_instance_slot = nullptr;
    uint32_t m_state = 0;
};

}  // namespace me
