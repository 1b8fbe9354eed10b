#include "ui/pointer_input.h"

#include "app/key_codes.h"

namespace me::simpleui {

namespace {

constinit PointerReader g_reader = nullptr;

}  // namespace

PointerReaderRegistration::PointerReaderRegistration(PointerReader reader) { g_reader = reader; }

PointerState read_pointers() { return g_reader != nullptr ? g_reader() : PointerState{}; }

int pointer_from_key(int key) {
    if (key == kMouseLeft)
        return 0;
    if (key == kMouseRight)
        return 1;
    if (key >= kTouch0 && key <= kTouch3)
        return kFirstTouchPointer + (key - kTouch0);
    return -1;
}

bool is_pointer_index(int pointer) { return pointer >= 0 && pointer < kPointerCount; }

Vec2 pointer_position(const PointerState& state, int pointer) {
    if (pointer >= kFirstTouchPointer && pointer < kPointerCount)
        return state.touches[static_cast<size_t>(pointer - kFirstTouchPointer)];
    return state.mouse;
}

}  // namespace me::simpleui
