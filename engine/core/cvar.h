#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace me {

enum class CVarType : uint8_t { String = 0, Bool = 1, Int = 2, Float = 3 };

// One named configuration variable. Its value is always held in all three
// forms, so any consumer may read it as text, integer or float.
class CVar {
public:
    enum Flag : uint32_t {
        HasValue = 1,    // set from a file or at run time; registration keeps it
        Registered = 2,  // the type is known; a second registration is refused
        Persist = 4,     // written to game_config.txt
        Changed = 8,     // changed at run time and not yet seen by its consumer
    };

    explicit CVar(std::string name);

    const std::string& name() const { return m_name; }
    CVarType type() const { return m_type; }
    const std::string& text() const { return m_text; }
    int32_t int_value() const { return m_int_value; }
    float float_value() const { return m_float_value; }
    bool bool_value() const { return m_int_value != 0; }

    uint32_t flags() const { return m_flags; }
    bool has(Flag flag) const { return (m_flags & flag) != 0; }
    void add_flags(uint32_t flags) { m_flags |= flags; }
    void clear_flags(uint32_t flags) { m_flags &= ~flags; }
    // For consumers that react to run-time changes: true once per change.
    bool take_changed();

    void set_type(CVarType type) { m_type = type; }
    // The only way a value changes: the text is read according to the type
    // and the three forms are set together.
    void set_from_text(std::string_view text);

private:
    std::string m_name;
    uint32_t m_flags = 0;
    CVarType m_type = CVarType::String;
    std::string m_text;
    int32_t m_int_value = 0;
    float m_float_value = 0.0f;
};

}  // namespace me
