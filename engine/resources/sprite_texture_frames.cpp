#include <memory>
#include <unordered_map>
#include <vector>

#include "resources/sprite.h"
#include "script/weak_slot.h"

namespace me {

namespace {

using FrameSlots = std::vector<std::unique_ptr<WeakPointer<Sprite>>>;

// Weak, so that a frame sprite nobody uses goes away (and with it its
// reference to the texture). Never destroyed: a sprite that outlives static
// destruction still unlinks its slot from here when it dies.
std::unordered_map<const Texture*, FrameSlots>& frame_sprite_cache() {
    static auto* cache = new std::unordered_map<const Texture*, FrameSlots>();
    return *cache;
}

// The slot of frame index of texture. An entry left by a dead texture at
// the same address holds only empty slots, since each frame sprite keeps
// its texture alive.
WeakPointer<Sprite>& frame_slot(const Texture& texture, size_t index) {
    FrameSlots& slots = frame_sprite_cache()[&texture];
    if (slots.size() != texture.frames().size()) {
        slots.clear();
        slots.resize(texture.frames().size());
    }
    std::unique_ptr<WeakPointer<Sprite>>& slot = slots[index];
    if (!slot)
        slot = std::make_unique<WeakPointer<Sprite>>();
    return *slot;
}

}  // namespace

ResourceRef<Sprite> texture_frame_sprite(Texture& texture, size_t index) {
    if (index >= texture.frames().size())
        return {};
    WeakPointer<Sprite>& slot = frame_slot(texture, index);
    if (Sprite* cached = slot.get(); cached != nullptr && cached->texture() == &texture)
        return ResourceRef<Sprite>(cached);
    ResourceRef<Sprite> sprite = make_frame_sprite(texture, texture.frames()[index]);
    slot.reset(sprite.get());
    return sprite;
}

}  // namespace me
