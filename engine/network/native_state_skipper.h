#pragma once

#include <cstdint>

#include "script/class_record.h"

namespace me {

class StateBuffer;

// How the check before a rollback steps over the native members of one
// native class that saves some. Classes in higher layers declare theirs as
// static objects next to their code; the check looks them up by record.
class NativeStateSkipper {
public:
    // False when the bytes cannot be the class's members (too short, a
    // reference beyond object_count, a value no object could hold).
    using Skip = bool (*)(StateBuffer& buffer, uint32_t object_count);

    NativeStateSkipper(const ClassRecord& record, Skip skip);
    NativeStateSkipper(const NativeStateSkipper&) = delete;
    NativeStateSkipper& operator=(const NativeStateSkipper&) = delete;

    // The skipper declared for exactly that class, or null.
    static const NativeStateSkipper* find(const ClassRecord& record);

    bool skip(StateBuffer& buffer, uint32_t object_count) const { return m_skip(buffer, object_count); }

private:
    const ClassRecord& m_record;
    Skip m_skip;
    const NativeStateSkipper* m_next;
};

}  // namespace me
