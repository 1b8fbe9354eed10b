// Time to upload 64 MiB of RGBA textures the way texture resources do it
// (texture made, parameters set, pixels uploaded, binding restored) and to
// delete them again. Needs a display with OpenGL (DISPLAY, e.g. a private
// Xvfb); the figure is for whatever driver that display offers.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "gpu/render_device.h"
#include "gpu/texture_flags.h"
#include "gpu/texture_upload.h"

namespace {

constexpr int kSide = 1024;
constexpr int kTextures = 16;  // 16 x 4 MiB

class GlWindow {
public:
    GlWindow() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return;
        m_window = SDL_CreateWindow("bench", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (m_window != nullptr)
            m_context = SDL_GL_CreateContext(m_window);
    }
    ~GlWindow() {
        if (m_context != nullptr)
            SDL_GL_DeleteContext(m_context);
        if (m_window != nullptr)
            SDL_DestroyWindow(m_window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    bool ready() const { return m_context != nullptr; }

private:
    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
};

void BM_UploadTextures(benchmark::State& state) {
    GlWindow window;
    me::RenderDevice device;
    if (!window.ready() || !device.initialize_gl()) {
        state.SkipWithError("no OpenGL context (set DISPLAY)");
        return;
    }
    device.start();
    me::g_render_device = &device;
    me::Image pixels(kSide, kSide, me::PixelType::Rgba8);
    std::fill_n(pixels.pixels(), pixels.byte_size(), uint8_t{0x5A});
    std::vector<uint32_t> textures(kTextures);
    for (auto _ : state) {
        for (uint32_t& texture : textures)
            texture = me::upload_image_texture(pixels, me::texture_flags::kClampUv);
        glFinish();
        state.PauseTiming();
        for (uint32_t texture : textures)
            me::delete_gpu_texture(texture);
        glFinish();
        state.ResumeTiming();
    }
    me::g_render_device = nullptr;
    device.release_shared_object();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(pixels.byte_size()) * kTextures);
}
BENCHMARK(BM_UploadTextures)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
