// Fuzz target for loading replay files. Any bytes may be a replay file:
// loading must never allocate for counts or lengths the bytes cannot hold,
// and every element that loaded must be readable to its end and copyable
// into a save slot without failing badly.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/log.h"
#include "network/replay_recorder.h"
#include "network/state_manager.h"

namespace {

using namespace me;

void require(bool condition) {
    if (!condition)
        std::abort();
}

struct FuzzRecorder {
    Log log;
    StateManager manager;
    ReplayRecorder recorder;

    FuzzRecorder() {
        log.open_file("/dev/null");
        g_log = &log;
        g_state_manager = &manager;
        g_replay_recorder = &recorder;
    }
};

FuzzRecorder& fuzz() {
    static FuzzRecorder* instance = new FuzzRecorder();
    return *instance;
}

void read_element(ReplayRecorder& recorder) {
    uint32_t value = 0;
    std::string text;
    for (int i = 0; i < 64; ++i) {
        const bool read = (i % 4 == 0)   ? recorder.read_uint8(value)
                          : (i % 4 == 1) ? recorder.read_uint16(value)
                          : (i % 4 == 2) ? recorder.read_string(text)
                                         : recorder.read_uint32(value);
        if (!read)
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzRecorder& state = fuzz();
    const bool complete = state.recorder.load_bytes(std::span(data, size), "fuzz.rep");
    const uint32_t count = state.recorder.element_count();
    require(count <= size / ReplayRecorder::kElementHeaderSize);
    for (uint32_t i = 0; i < count; ++i) {
        const bool opened = state.recorder.open_element(i);
        require(opened || !complete);
        if (!opened)
            continue;
        state.recorder.read_element_tag();
        read_element(state.recorder);
        const bool copied = state.recorder.copy_to_save_slot(3);
        if (copied)
            require(state.manager.is_state(3));
        state.recorder.close_element();
    }
    return 0;
}
