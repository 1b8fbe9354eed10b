// Resource definitions: textures cut into sprites, the clips that show the
// entities, the font and the sounds. The engine creates a resource the first
// time a script names it, from the entry of that name in its defs table.

g_texture_defs.world <- { file = "data/sprites/world.png", mipmaps = false, filtering = "nearest" };
g_texture_defs.player <- { file = "data/sprites/player.png", mipmaps = false, frame_size = [32, 32], frame_pivot = [16, 30] };
g_texture_defs.gloom <- { file = "data/sprites/gloom.png", mipmaps = false, frame_size = [32, 32], frame_pivot = [16, 24] };
g_texture_defs.pickups <- { file = "data/sprites/pickups.png", mipmaps = false, frame_size = [32, 32], frame_pivot = [16, 28] };
g_texture_defs.effects <- { file = "data/sprites/effects.png", mipmaps = false };
g_texture_defs.ground <- { file = "data/sprites/ground.png", mipmaps = false };
// A font finds its texture by its descriptor's path with "png" for "fnt".
g_texture_defs["data/fonts/dejavu_sans_18.png"] <- { mipmaps = false };
g_font_defs.text <- { file = "data/fonts/dejavu_sans_18.fnt" };
// SimpleUI labels write in the font named "system".
g_font_defs.system <- { file = "data/fonts/dejavu_sans_18.fnt" };

for (local frame = 0; frame < 4; frame += 1)
    g_sprite_defs["hero_" + frame] <- { texture = "player", frame = frame, pivot = [16, 30] };
g_sprite_defs.gloom_0 <- { texture = "gloom", frame = 0, pivot = [16, 26] };
g_sprite_defs.gloom_1 <- { texture = "gloom", frame = 1, pivot = [16, 26] };
g_sprite_defs.gem <- { texture = "pickups", frame = 1, pivot = [16, 28] };
g_sprite_defs.crate <- { texture = "world", rect = [32, 0, 16, 16], pivot = "bottom" };
g_sprite_defs.tile <- { texture = "world", rect = [0, 16, 32, 16], pivot = "center" };
g_sprite_defs.shadow <- { texture = "effects", rect = [32, 0, 32, 16], pivot = "center" };
g_sprite_defs.glow <- { texture = "world", rect = [48, 0, 16, 16], pivot = "center" };
g_sprite_defs.spark <- { texture = "effects", rect = [32, 16, 16, 16], pivot = "center" };

// A looping clip of one node that shows the frames in turn, each for the same
// time. The last key repeats the first frame: keys are spread from the start
// to the end of the clip, so that key is the moment the loop starts over.
function frames_clip_def(frames, frame_milliseconds) {
    local keys = clone frames;
    keys.append(frames[0]);
    local indices = [];
    foreach (i, name in frames)
        indices.append(i);
    indices.append(0);
    local resource = ClipResource();
    resource.set_duration_in_milliseconds(frame_milliseconds * frames.len());
    resource.init_channels(keys.len(), 1, 1);
    resource.set_int_channel_data(0, 0, indices);
    resource.set_sprite_names(frames);
    resource.set_instantiator(function(resource) {
        local clip = Clip();
        clip.init(resource);
        local node = ClipObject();
        clip.add_child(node);
        clip.add_controller(ClipSpriteChannelController(clip, node, 0));
        return clip;
    });
    resource.finish();
    return { _clip_resource = resource };
}

// A clip of one node showing one sprite at a scale.
function sprite_clip_def(sprite, scale) {
    local resource = ClipResource();
    resource.set_duration_in_milliseconds(1000);
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

g_clip_resource_defs.hero_walk <- frames_clip_def(["hero_0", "hero_1", "hero_2", "hero_3"], 110);
g_clip_resource_defs.hero_idle <- frames_clip_def(["hero_0", "hero_1"], 400);
g_clip_resource_defs.creature <- frames_clip_def(["gloom_0", "gloom_1"], 120);
g_clip_resource_defs.gem <- sprite_clip_def("gem", 0.6);
g_clip_resource_defs.crate <- sprite_clip_def("crate", 2.0);
g_clip_resource_defs.spark <- sprite_clip_def("spark", 0.6);
g_clip_resource_defs.glow <- sprite_clip_def("glow", 3.0);

// A clip of the named def, made as the engine makes it.
function clip_of(name) {
    local resource = g_clip_resource_defs[name]._clip_resource;
    return resource.get_instantiator()(resource);
}

g_sound_defs.pickup <- { files = ["sounds/pickup.wav"], category = 0, volume = 0.8 };
g_sound_defs.hit <- { files = ["sounds/hit.wav"], category = 0, volume = 0.9 };
