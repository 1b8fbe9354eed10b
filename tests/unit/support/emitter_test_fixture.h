#pragma once

#include <gtest/gtest.h>

#include <string>

#include "binding_test_vm.h"
#include "image_test_files.h"
#include "resources/emitter_resource.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"

namespace me::test {

// A VM whose sprite defs hold a few sprites of one small texture:
// "spark" (static, 4 x 2, pivot [1, 1]), "flash" (static, 4 x 4),
// "blink" (three frames of 0.1 s, not looping) and "cycle" (two frames of
// 0.1 s, looping). Emitters are defined and loaded by name.
class EmitterTest : public BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_list = g_resource_list;
        g_resource_list = &m_held;
        const Bytes pixels = gradient_pixels(8, 8, 4);
        const Bytes file = rgba_png(8, 8, pixels);
        write_file("dot.png", std::string(file.begin(), file.end()));
        evaluate(R"(
            g_texture_defs["dot"] <- { file = "dot.png", mipmaps = false };
            g_sprite_defs["spark"] <- { texture = "dot", rect = [0, 0, 4, 2], pivot = [1, 1] };
            g_sprite_defs["flash"] <- { texture = "dot", rect = [4, 0, 4, 4] };
            g_sprite_defs["blink"] <- { frames = ["spark", "flash", "spark"], duration = 0.3 };
            g_sprite_defs["cycle"] <- { frames = ["spark", "flash"], duration = 0.2, loop = true };
            return null;)");
    }

    // Resources hold script objects, so they go before the VM does.
    void TearDown() override {
        m_loaded.reset();
        m_held.release_all();
        BindingTest::TearDown();
        g_resource_list = m_previous_list;
    }

    // Defines name in g_emitter_defs from the table literal and loads it.
    SceneEmitterResource* load_emitter(const std::string& name, const std::string& def) {
        evaluate("g_emitter_defs[\"" + name + "\"] <- " + def + "; return null;");
        m_loaded = load_resource(resource_types::emitter, name);
        return dynamic_cast<SceneEmitterResource*>(m_loaded.get());
    }

    // A box emitter at the origin of no size whose particle table is given.
    SceneEmitterResource* load_particles(const std::string& name, const std::string& emitter_keys,
                                         const std::string& particle_keys) {
        return load_emitter(name, "{ area = { type = \"box\" }, " + emitter_keys + " particle = { " +
                                      particle_keys + " } }");
    }

    ResourceList m_held;

private:
    ResourceList* m_previous_list = nullptr;
    ResourceRef<ResourceObject> m_loaded;
};

}  // namespace me::test
