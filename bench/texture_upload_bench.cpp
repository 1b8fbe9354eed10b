// Time to upload 64 MiB of RGBA textures through the render device's texture
// units. Needs a display with OpenGL (DISPLAY, e.g. a private Xvfb).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "render/render_device.h"

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
    std::vector<uint8_t> texels(static_cast<size_t>(kSide) * kSide * 4, 0x5A);
    std::vector<GLuint> textures(kTextures);
    glGenTextures(kTextures, textures.data());
    for (auto _ : state) {
        for (GLuint texture : textures) {
            device.bind_texture(0, me::TextureTarget::Texture2D, texture);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSide, kSide, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        }
        glFinish();
    }
    for (GLuint texture : textures)
        device.forget_texture(texture);
    glDeleteTextures(kTextures, textures.data());
    device.release_shared_object();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(texels.size()) * kTextures);
}
BENCHMARK(BM_UploadTextures)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
