#pragma once

#include <squirrel.h>

#include <string>

#include "resources/resource_def_reader.h"
#include "resources/sprite.h"
#include "resources/sprite_def_array.h"

namespace me {

// Fills a Sprite from its def, logging every refusal by its message.
class SpriteBuilder {
public:
    SpriteBuilder(Sprite& sprite, HSQUIRRELVM vm, const ScriptObject& def);

    // The whole load; on failure the sprite is left half-built and the
    // caller marks it Failed.
    bool build();

private:
    enum class FrameForm { Names, Indices, NamedTimed, IndexedTimed, Invalid };

    bool load_parts();
    bool read_texture();
    bool load_static();
    bool load_animated();
    void read_color();
    void read_flip();
    void mark_special_texture();
    bool add_collision_circle();
    bool add_collision_rect();

    // Static sprites.
    SpriteRect read_rectangle() const;
    Vec2 read_pivot(const SpriteRect& rectangle) const;
    SpriteBorder read_border() const;

    // Animated sprites.
    FrameForm frame_form(const SpriteDefArray& frames) const;
    bool texture_has_frames_for(FrameForm form) const;
    bool add_frame(const SpriteDefArray& frames, size_t i, FrameForm form);
    bool add_named_frame(const std::string& name, float duration, float range);
    bool add_indexed_frame(SQInteger index, float duration, float range, bool index_in_message);
    bool add_timed_frame(const SpriteDefArray& entry, FrameForm form);
    void take_frame_bounds();

    // OT_NULL when the def lacks the key.
    SQObjectType field_type(const char* key) const;
    bool refuse(const std::string& message) const;
    void warn_malformed(const char* key) const;

    Sprite& m_sprite;
    HSQUIRRELVM m_vm;
    ScriptObject m_def;
    DefReader m_reader;
    std::string m_name;
};

}  // namespace me
