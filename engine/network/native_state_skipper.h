#pragma once

#include <cstdint>

#include "script/class_record.h"

namespace me {

class StateBuffer;
class StateTranscript;

// How the check before a rollback steps over the native members of one
// native class that saves some, and how a saved state is written out as text
// without live objects. Classes in higher layers declare theirs as static
// objects next to their code; the readers look them up by record.
class NativeStateSkipper {
public:
    // False when the bytes cannot be the class's members (too short, a
    // reference beyond object_count, a value no object could hold). With a
    // transcript, every member stepped over is also written to its dump, as
    // the live object's dump would show it.
    using Skip = bool (*)(StateBuffer& buffer, uint32_t object_count, const StateTranscript* transcript);

    NativeStateSkipper(const ClassRecord& record, Skip skip);
    NativeStateSkipper(const NativeStateSkipper&) = delete;
    NativeStateSkipper& operator=(const NativeStateSkipper&) = delete;

    // The skipper declared for exactly that class, or null.
    static const NativeStateSkipper* find(const ClassRecord& record);

    bool skip(StateBuffer& buffer, uint32_t object_count, const StateTranscript* transcript = nullptr) const {
        return m_skip(buffer, object_count, transcript);
    }

private:
    const ClassRecord& m_record;
    Skip m_skip;
    const NativeStateSkipper* m_next;
};

}  // namespace me
