#include "resources/sprite.h"

#include "core/application.h"
#include "core/random.h"
#include "resources/resource_class.h"
#include "resources/resource_registry.h"
#include "resources/sprite_builder.h"

namespace me {

namespace {

const ResourceClass g_sprite_class(Sprite::kClassRecord, resource_types::sprite, make_resource<Sprite>);

}  // namespace

const ClassRecord Sprite::kClassRecord{"Sprite", &ResourceObject::kClassRecord};

Sprite::Sprite() : ResourceObject(resource_types::sprite) {}

bool Sprite::load() { return SpriteBuilder(*this, resource_vm(), get_def()).build(); }

float Sprite::frame_duration(size_t i, Xorshift128& rng) const {
    const SpriteFrame& entered = m_frames[i];
    if (entered.duration_range <= 0.0f)
        return entered.duration;
    return entered.duration + rng.next_float(0.0f, entered.duration_range);
}

float Sprite::frame_duration(size_t i) const {
    if (g_application == nullptr)
        return m_frames[i].duration;
    return frame_duration(i, g_application->rng);
}

ResourceRef<Sprite> load_sprite(const std::string& name) {
    return load_resource_as<Sprite>(resource_types::sprite, name);
}

}  // namespace me
