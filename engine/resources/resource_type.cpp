#include "resources/resource_type.h"

namespace me {

namespace resource_types {
ResourceType texture{"texture", "g_texture_defs", {}, {}, {}};
ResourceType sprite{"sprite", "g_sprite_defs", {}, {}, {}};
ResourceType font{"font", "g_font_defs", {}, {}, {}};
ResourceType shader{"shader", "g_shader_defs", {}, {}, {}};
ResourceType emitter{"emitter", "g_emitter_defs", {}, {}, {}};
ResourceType clip{"clip", "g_clip_resource_defs", {}, {}, {}};
ResourceType curve{"curve", "g_curve_defs", {}, {}, {}};
ResourceType sound{"sound", "g_sound_defs", {}, {}, {}};
ResourceType anim{"anim", "g_anim_resource_defs", {}, {}, {}};
ResourceType mesh{"mesh", "g_mesh_resource_defs", {}, {}, {}};
ResourceType model{"model", "g_model_defs", {}, {}, {}};
ResourceType material{"material", "g_material_defs", {}, {}, {}};
}  // namespace resource_types

const std::vector<ResourceType*>& all_resource_types() {
    using namespace resource_types;
    static const std::vector<ResourceType*> types{&texture, &sprite, &font,  &shader, &emitter, &clip,
                                                  &curve,   &sound,  &anim,  &mesh,   &model,   &material};
    return types;
}

}  // namespace me
