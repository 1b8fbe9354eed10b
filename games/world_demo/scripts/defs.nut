// The demo's resources: one texture (made by tools/world_demo/make_sprites.py)
// cut into sprites, and clips that show one sprite each.
g_texture_defs["world"] <- { file = "data/sprites/world.png", mipmaps = false, filtering = "nearest" };
g_sprite_defs["ball"] <- { texture = "world", rect = [0, 0, 16, 16], pivot = "bottom" };
g_sprite_defs["shadow"] <- { texture = "world", rect = [16, 0, 16, 8], pivot = "center" };
g_sprite_defs["spark"] <- { texture = "world", rect = [16, 8, 4, 4], pivot = "center" };
g_sprite_defs["crate"] <- { texture = "world", rect = [32, 0, 16, 16], pivot = "bottom" };
g_sprite_defs["glow"] <- { texture = "world", rect = [48, 0, 16, 16], pivot = "center" };
g_sprite_defs["tile"] <- { texture = "world", rect = [0, 16, 32, 16], pivot = "center" };

// A clip of one node showing the sprite at the scale, lasting the time.
function sprite_clip_def(sprite, scale, milliseconds) {
    local resource = ClipResource();
    resource.set_duration_in_milliseconds(milliseconds);
    resource.init_channels(1, 1, 1);
    resource.set_float_channel_data(0, -1, [0]);
    resource.set_instantiator(function(resource) {
        local clip = Clip();
        clip.init(resource);
        local node = ClipObject();
        node.set_sprite(sprite);
        node.set_scale(scale, scale);
        clip.add_child(node);
        return clip;
    }.bindenv({ sprite = sprite, scale = scale }));
    resource.finish();
    return { _clip_resource = resource };
}

g_clip_resource_defs["ball"] <- sprite_clip_def("ball", 1.0, 1000);
g_clip_resource_defs["glow"] <- sprite_clip_def("glow", 6.0, 1000);
g_clip_resource_defs["spark"] <- sprite_clip_def("spark", 1.0, 600);
g_clip_resource_defs["crate"] <- sprite_clip_def("crate", 2.0, 1000);

// A clip of the named def, made as the engine makes it.
function clip_of(name) {
    local resource = g_clip_resource_defs[name]._clip_resource;
    return resource.get_instantiator()(resource);
}
