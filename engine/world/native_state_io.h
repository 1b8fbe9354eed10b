#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/fixed.h"
#include "script/class_record.h"

namespace me {

class StateBuffer;
class StateDumpWriter;
class StateObject;
class StateTranscript;

// One pass over the native members of a world object, in their saved order:
// writing them to a state buffer, reading them back, describing them in the
// debug dump, or stepping over them to check a buffer before a rollback (and
// then, given a transcript, describing what was read as the dump would).
// Each object lists its members once, through the same calls, so the four
// passes cannot disagree on the order or the widths.
class NativeStateIo {
public:
    enum class Mode { Write, Read, Dump, Skip };

    static NativeStateIo writer(StateBuffer& buffer) { return NativeStateIo(Mode::Write, &buffer, nullptr); }
    // objects: the table references are read against.
    static NativeStateIo reader(StateBuffer& buffer, std::span<StateObject* const> objects);
    static NativeStateIo dumper(StateDumpWriter& dump) { return NativeStateIo(Mode::Dump, nullptr, &dump); }
    // References are only checked against the number of objects the buffer
    // holds: the objects themselves do not exist yet.
    static NativeStateIo skipper(StateBuffer& buffer, uint32_t object_count,
                                 const StateTranscript* transcript = nullptr);

    Mode mode() const { return m_mode; }
    bool is_reading() const { return m_mode == Mode::Read || m_mode == Mode::Skip; }
    // False once a read failed: a short buffer or a value that cannot be.
    bool ok() const;
    // A read value that no object could hold; the warning says which.
    void refuse(const std::string& warning);

    void fixed(const char* name, Fixed& value);
    void u8(const char* name, uint8_t& value);
    void u16(const char* name, uint16_t& value);
    void u32(const char* name, uint32_t& value);
    // Dumped as 0 or 1, as the other integers.
    void boolean(const char* name, bool& value);
    void string(const char* name, std::string& value);
    // Reading accepts only null or an object whose native class is kind of
    // expected.
    void ref(const char* name, StateObject*& object, const ClassRecord& expected);

    // A list of references: its size (16 bits), then each element.
    void begin_list(const char* name, uint16_t& size);
    void list_ref(StateObject*& object, const ClassRecord& expected);
    void end_list();

private:
    NativeStateIo(Mode mode, StateBuffer* buffer, StateDumpWriter* dump)
        : m_mode(mode), m_buffer(buffer), m_dump(dump) {}

    void read_ref(StateObject*& object, const ClassRecord& expected);
    // Checks a stored reference without objects (object becomes null); its
    // dump text when there is a transcript.
    std::string skip_ref(StateObject*& object);
    // Skipping with a transcript: what was read goes to its dump.
    StateDumpWriter* transcript_dump() const;
    static std::string ref_text(const StateObject* object);

    Mode m_mode;
    StateBuffer* m_buffer;
    StateDumpWriter* m_dump;
    std::span<StateObject* const> m_objects;
    uint32_t m_object_count = 0;
    const StateTranscript* m_transcript = nullptr;
    bool m_refused = false;
};

}  // namespace me
