// Time per frame of a SimpleUI screen of 1 000 widgets made by script: the
// update (hover pass with its hit test, every widget's update), a click's
// hit test and key routing, and the render into the quad batch (client
// memory: no GL context, so the figure is the CPU side). Also counts the
// allocations a warm frame makes, which should be none.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "core/application.h"
#include "core/key_codes.h"
#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"
#include "resources/texture.h"
#include "script/interned_name.h"
#include "script/script_host.h"
#include "script/script_object.h"
#include "script/script_root.h"
#include "ui/simple_ui.h"
#include "ui/simple_ui_sprite.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// Not inlined, like the deletes below: where GCC sees this malloc meet a
// delete it warns of a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace me {
namespace {

using simpleui::SimpleUI;
using simpleui::SimpleUISprite;
using simpleui::SimpleUIWidget;

const std::string kFontFile =
    (std::filesystem::path(__FILE__).parent_path() / "../games/demo/data/fonts/dejavu_sans_18.fnt").string();

// 40 framed panels in an 8 × 5 grid, each with 12 icons and 12 labels: 1 000
// widgets on a 1280 × 720 screen. With callbacks, every widget's class
// defines on_update and on_hovered (empty), so each frame makes a thousand
// script calls; without, the UI only looks for them.
std::string screen_script(bool with_callbacks) {
    const std::string body = with_callbacks ? "function on_update(dt) {} function on_hovered(p, on) {}" : "";
    return R"(
        g_texture_defs["dejavu_sans_18.png"] <- { mipmaps = false };
        g_font_defs.system <- { file = ")" + kFontFile + R"(" };
        class Panel extends SimpleUISprite { )" + body + R"( }
        class Icon extends SimpleUISprite { )" + body + R"( }
        class Caption extends SimpleUILabel { )" + body + R"( }
        ::ui <- SimpleUI();
        local layer = SimpleUILayer();
        layer.set_name("menu");
        layer.init_screen_canvas();
        ::ui.add_layer(layer);
        for (local p = 0; p < 40; p += 1) {
            local panel = Panel();
            panel.set_frame_position(160 * (p % 8), 144 * (p / 8));
            panel.set_frame_size(156, 140);
            panel.set_sprite_mode_scale_to_fill();
            for (local i = 0; i < 12; i += 1) {
                local icon = Icon();
                icon.set_frame_position(4 + 50 * (i % 3), 4 + 34 * (i / 3));
                icon.set_frame_size(16, 16);
                panel.add_child_widget(icon);
                local caption = Caption();
                caption.set_frame_position(22 + 50 * (i % 3), 4 + 34 * (i / 3));
                caption.set_frame_size(30, 16);
                caption.set_text("Item " + i);
                caption.set_alignment(-1, 0);
                panel.add_child_widget(caption);
            }
            ::ui.add_widget_to_layer("menu", panel);
        }
        return ::ui;
    )";
}

class UIFixture {
public:
    explicit UIFixture(bool with_callbacks) {
        m_application.screen_width = 1280;
        m_application.screen_height = 720;
        g_name_table = &m_names;
        g_script_root = &m_root;
        m_host.create_vm();
        m_host.intern_names();
        start_resource_registry(m_host.vm());
        m_device.start();
        m_batch.create_buffers();
        m_ui_object = run(screen_script(with_callbacks));
        m_ui = native_ui();
        if (m_ui != nullptr)
            give_sprites(*m_ui->layer(0).root());
    }
    ~UIFixture() {
        m_ui = nullptr;
        m_ui_object.reset();
        stop_resource_registry();
        g_name_table = nullptr;
        g_script_root = nullptr;
    }
    UIFixture(const UIFixture&) = delete;
    UIFixture& operator=(const UIFixture&) = delete;

    bool ready() const { return m_ui != nullptr; }
    const std::string& error() const { return m_error; }

    // The mouse sweeps the screen so that hover moves every few frames.
    void frame() {
        m_step = (m_step + 7) % 1280;
        m_application.mouse_xf = static_cast<float>(m_step);
        m_application.mouse_yf = static_cast<float>((m_step * 3) % 720);
        m_ui->update(1.0f / 60.0f);
        m_ui->handle_key_down(kMouseLeft);
        m_ui->handle_key_up(kMouseLeft);
        m_ui->render(m_device, m_batch, 720.0f);
    }

private:
    ScriptObject run(const std::string& code) {
        HSQUIRRELVM vm = m_host.vm();
        ScriptObject result;
        if (SQ_SUCCEEDED(sq_compilebuffer(vm, code.data(), static_cast<SQInteger>(code.size()), "bench", SQTrue))) {
            sq_pushroottable(vm);
            if (SQ_SUCCEEDED(sq_call(vm, 1, SQTrue, SQTrue)))
                result = ScriptObject(vm, -1);
            else
                m_error = m_host.last_error_text();
        } else {
            m_error = m_host.compile_error_text();
        }
        sq_settop(vm, 0);
        return result;
    }

    SimpleUI* native_ui() {
        if (m_ui_object.type() != OT_INSTANCE)
            return nullptr;
        HSQUIRRELVM vm = m_host.vm();
        m_ui_object.push(vm);
        SQUserPointer pointer = nullptr;
        sq_getinstanceup(vm, -1, &pointer, SimpleUI::kClassRecord.type_tag());
        sq_pop(vm, 1);
        return static_cast<SimpleUI*>(static_cast<GameObject*>(pointer));
    }

    // Sprites made natively over a blank texture: the bench needs no files
    // but the font.
    void give_sprites(SimpleUIWidget& widget) {
        if (auto* sprite = dynamic_cast<SimpleUISprite*>(&widget))
            sprite->set_sprite(make_frame_sprite(*m_texture.get(), {0, 0, 32, 32, 16, 16}));
        for (size_t i = 0; i < widget.child_count(); ++i)
            give_sprites(widget.child(i));
    }

    Application m_application;
    ScriptRoot m_root;
    ScriptHost m_host;
    // After the host: its strings go before the VM does.
    NameTable m_names;
    RenderDevice m_device;
    QuadBatch m_batch{m_device};
    ResourceRef<Texture> m_texture{new Texture()};
    ScriptObject m_ui_object;
    SimpleUI* m_ui = nullptr;
    int m_step = 0;
    std::string m_error;
};

void run_frames(benchmark::State& state, bool with_callbacks) {
    UIFixture fixture(with_callbacks);
    if (!fixture.ready()) {
        state.SkipWithError(("the screen script failed: " + fixture.error()).c_str());
        return;
    }
    // Warm: one whole sweep of the mouse, so that every widget has been
    // hovered and had its missing callbacks noted.
    for (int i = 0; i < 1280; ++i)
        fixture.frame();
    const long before = g_allocations.load();
    for (auto _ : state)
        fixture.frame();
    state.counters["allocations_per_frame"] =
        static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations());
    state.counters["widgets"] = 1000;
}

void BM_UIFrame(benchmark::State& state) { run_frames(state, false); }
BENCHMARK(BM_UIFrame)->Unit(benchmark::kMicrosecond);

void BM_UIFrameWithScriptCallbacks(benchmark::State& state) { run_frames(state, true); }
BENCHMARK(BM_UIFrameWithScriptCallbacks)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace me
BENCHMARK_MAIN();
