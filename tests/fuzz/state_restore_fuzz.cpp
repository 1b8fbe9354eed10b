// Fuzz target for restoring saved states. Any bytes may arrive as a blob, a
// received state or a replay element: taken as they are and, so that the
// content is reached past the CRC, with a correct CRC appended. Either way a
// rollback must refuse what does not fit the registered classes with a
// warning, and a rollback that is accepted must leave a world that saves
// and rolls back to itself byte for byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "core/application.h"
#include "core/log.h"
#include "network/state_manager.h"
#include "script/script_host.h"
#include "script/script_root.h"

namespace {

using namespace me;

void require(bool condition) {
    if (!condition)
        std::abort();
}

constexpr const char* kWorldScript = R"(
    ::all <- [];
    class World extends StateObject </ world_seed = true, fn_destroy_dynamic_objects = "drop_all" /> {
        </ type = "ref[]" /> things = null;
        </ type = "string" /> name = null;
        </ type = "uint16" /> turn = 0;
        constructor() { base.constructor(); things = []; }
        function drop_all() {
            foreach (t in ::all) { t.r = null; t.w = null; }
            things = [];
            ::all = [];
        }
    }
    class Thing extends StateObject {
        </ type = "sint8" /> a = 0;
        </ type = "fixed" /> f = 0;
        </ type = "bool[]" /> flags = null;
        </ type = "string[]", nullable = true /> words = null;
        </ type = "weakref", nullable = true /> w = null;
        </ type = "ref" /> r = null;
        constructor() { base.constructor(); flags = []; ::all.append(this); }
    }
    Network.register_state_class("World");
    Network.register_state_class("Thing");
    Network.creating_map(); ::world <- World(); Network.map_created();
    ::world.things = [Thing(), Thing()];
    ::world.things[0].r = ::world.things[1];
)";

struct FuzzWorld {
    Log log;
    Application application;
    ScriptRoot root;
    ScriptHost host;
    StateManager manager;

    FuzzWorld() {
        log.open_file("/dev/null");
        g_log = &log;
        g_script_root = &root;
        host.create_vm();
        g_state_manager = &manager;
        const SQInteger top = sq_gettop(host.vm());
        require(SQ_SUCCEEDED(sq_compilebuffer(host.vm(), kWorldScript, static_cast<SQInteger>(std::strlen(kWorldScript)),
                                              "fuzz_world", SQTrue)));
        sq_pushroottable(host.vm());
        require(SQ_SUCCEEDED(sq_call(host.vm(), 1, SQFalse, SQTrue)));
        sq_settop(host.vm(), top);
    }
};

FuzzWorld& world() {
    static FuzzWorld* instance = new FuzzWorld();
    return *instance;
}

std::vector<uint8_t> bytes_of(const StateBuffer& buffer) { return {buffer.bytes().begin(), buffer.bytes().end()}; }

// Rolls back to slot; when the rollback was accepted, saving and rolling
// back again must reproduce the same bytes.
void roll_back_to(StateManager& manager, int32_t slot) {
    manager.save(9, 0);
    const std::vector<uint8_t> before = bytes_of(*manager.slot_buffer(9));
    manager.rollback(slot);
    manager.save(10, 0);
    const std::vector<uint8_t> after = bytes_of(*manager.slot_buffer(10));
    if (after == before)
        return;
    manager.rollback(10);
    manager.save(11, 0);
    require(bytes_of(*manager.slot_buffer(11)) == after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StateManager& manager = world().manager;
    const std::span<const uint8_t> bytes(data, size);
    if (manager.restore_from_blob(bytes, 1))
        roll_back_to(manager, 1);
    std::vector<uint8_t> with_crc(bytes.begin(), bytes.end());
    const uint32_t crc = state_crc(with_crc);
    for (int shift = 24; shift >= 0; shift -= 8)
        with_crc.push_back(static_cast<uint8_t>(crc >> shift));
    require(manager.restore_from_blob(with_crc, 2));
    roll_back_to(manager, 2);
    return 0;
}
