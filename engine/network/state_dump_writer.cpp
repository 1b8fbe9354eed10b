#include "network/state_dump_writer.h"

#include "core/log_format.h"

namespace me {

void StateDumpWriter::start_line() {
    if (!m_at_line_start)
        end_line();
    m_text.append(static_cast<size_t>(m_indent * kIndentWidth), ' ');
    m_at_line_start = false;
}

void StateDumpWriter::end_line() {
    m_text += '\n';
    m_at_line_start = true;
}

void StateDumpWriter::value(std::string_view name, std::string_view text) {
    start_line();
    m_text += format_message("%1 = %2", name, text);
    end_line();
}

void StateDumpWriter::signed_value(std::string_view name, int64_t number) {
    value(name, format_message("%1", number));
}

void StateDumpWriter::unsigned_value(std::string_view name, uint64_t number) {
    value(name, format_message("%1", number));
}

void StateDumpWriter::fixed_value(std::string_view name, uint32_t raw) { value(name, fixed_text(raw)); }

void StateDumpWriter::ref_value(std::string_view name, std::string_view class_name, int32_t index) {
    value(name, ref_text(class_name, index));
}

void StateDumpWriter::begin_block(std::string_view header) {
    start_line();
    m_text += header;
    m_text += " {";
    end_line();
    ++m_indent;
}

void StateDumpWriter::end_block() {
    if (m_indent > 0)
        --m_indent;
    start_line();
    m_text += '}';
    end_line();
}

void StateDumpWriter::begin_array(std::string_view name, uint32_t size) {
    start_line();
    m_text += format_message("%1 = %2[", name, size);
    m_in_array = true;
}

void StateDumpWriter::element(std::string_view text) {
    if (!m_in_array)
        return;
    m_text += ' ';
    m_text += text;
}

void StateDumpWriter::end_array() {
    if (!m_in_array)
        return;
    m_text += " ]";
    m_in_array = false;
    end_line();
}

std::string StateDumpWriter::fixed_text(uint32_t raw) {
    return format_message("%1:%2", static_cast<int16_t>(raw >> 16), raw & 0xFFFFu);
}

std::string StateDumpWriter::ref_text(std::string_view class_name, int32_t index) {
    return format_message("%1(%2)", class_name, index);
}

}  // namespace me
