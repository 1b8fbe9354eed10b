#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace me {

// The text of a state's debug dump: one item per line, two spaces of indent
// per level; an array's elements share its line.
class StateDumpWriter {
public:
    static constexpr int32_t kIndentWidth = 2;

    void value(std::string_view name, std::string_view text);
    void signed_value(std::string_view name, int64_t number);
    void unsigned_value(std::string_view name, uint64_t number);
    void fixed_value(std::string_view name, uint32_t raw);
    void ref_value(std::string_view name, std::string_view class_name, int32_t index);
    void null_value(std::string_view name) { value(name, "null"); }

    void begin_block(std::string_view header);
    void end_block();

    void begin_array(std::string_view name, uint32_t size);
    void element(std::string_view text);
    void end_array();

    // "%1:%2": the integer part as a signed 16-bit number, then the low 16
    // bits unsigned.
    static std::string fixed_text(uint32_t raw);
    static std::string ref_text(std::string_view class_name, int32_t index);

    const std::string& text() const { return m_text; }

private:
    void start_line();
    void end_line();

    std::string m_text;
    int32_t m_indent = 0;
    bool m_at_line_start = true;
    bool m_in_array = false;
};

}  // namespace me
