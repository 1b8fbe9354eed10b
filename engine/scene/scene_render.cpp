#include "gpu/quad_batch.h"
#include "gpu/render_device.h"
#include "scene/scene.h"
#include "scene/view2d.h"
#include "scene/view2d_gl.h"

namespace me {

void Scene::render_2d(RenderDevice& device, QuadBatch& batch, float window_height) {
    if (!m_view)
        return;
    // The frame's first view clears the screen when clearing is on.
    device.begin_view();
    load_view(device, *m_view.get(), window_height);
    batch.reset();
    for (SceneLayer& layer : m_layers)
        for (SceneObject* object = layer.first(); object != nullptr; object = object->next_in_layer())
            if (object->enabled())
                object->draw(batch, *m_view.get());
    batch.flush();
}

}  // namespace me
