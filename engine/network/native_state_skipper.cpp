#include "network/native_state_skipper.h"

namespace me {

namespace {

constinit const NativeStateSkipper* g_first_skipper = nullptr;

}  // namespace

NativeStateSkipper::NativeStateSkipper(const ClassRecord& record, Skip skip)
    : m_record(record), m_skip(skip), m_next(g_first_skipper) {
    g_first_skipper = this;
}

const NativeStateSkipper* NativeStateSkipper::find(const ClassRecord& record) {
    for (const NativeStateSkipper* skipper = g_first_skipper; skipper != nullptr; skipper = skipper->m_next)
        if (&skipper->m_record == &record)
            return skipper;
    return nullptr;
}

}  // namespace me
