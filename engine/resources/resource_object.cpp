#include "resources/resource_object.h"

#include "core/log.h"
#include "resources/resource_def_reader.h"

namespace me {

const ClassRecord ResourceObject::kClassRecord{"ResourceObject", &EngineObject::kClassRecord};

ResourceObject::~ResourceObject() { leave_instance_table(); }

void ResourceObject::leave_instance_table() {
    if (m_instance_slot == nullptr || !m_name)
        return;
    auto entry = m_instance_slot->find(*m_name);
    if (entry != m_instance_slot->end() && entry->second == this)
        m_instance_slot->erase(entry);
    m_instance_slot = nullptr;
}

ScriptObject ResourceObject::get_def() const {
    if (!m_def.is_null() || !m_name || m_type == nullptr)
        return m_def;
    return def_table_field(m_type->defs_table, *m_name);
}

void ResourceObject::set_name_and_def(const std::optional<std::string>& name, const ScriptObject& def) {
    m_def = def;
    set_name(name);
}

void ResourceObject::set_name(const std::optional<std::string>& name) {
    leave_instance_table();
    m_name = name;
    if (!m_name || m_type == nullptr)
        return;
    m_type->instances[*m_name] = this;
    m_instance_slot = &m_type->instances;
}

bool ResourceObject::ensure_loaded() {
    if (has_state(Loaded))
        return true;
    if (has_state(Failed))
        return false;
    if (load()) {
        m_state = (m_state | Loaded) & ~static_cast<uint32_t>(Failed);
        return true;
    }
    m_state = (m_state | Failed) & ~static_cast<uint32_t>(Loaded);
    log_error(format_message("%1 '%2' failed to load.", class_record().name, get_name()));
    return false;
}

}  // namespace me
