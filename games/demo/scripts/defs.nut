// Resource definitions. The engine creates a resource the first time a script
// names it, from the entry of that name in the defs table of its type. Add
// entries to the existing tables (g_sprite_defs.name <- ...): the engine keeps
// the tables it made, so a new table bound to the same name would go unseen.

// Textures. Image files must turn mipmaps off. frame_size cuts a sheet into
// equal frames whose pivot (the point placed at the object's position) is
// frame_pivot: the feet of walkers, the centre of flying things.
g_texture_defs.player <- { file = "data/sprites/player.png", mipmaps = false, frame_size = [32, 32], frame_pivot = [16, 30] };
g_texture_defs.gloom <- { file = "data/sprites/gloom.png", mipmaps = false, frame_size = [32, 32], frame_pivot = [16, 16] };
g_texture_defs.pickups <- { file = "data/sprites/pickups.png", mipmaps = false, frame_size = [32, 32] };
g_texture_defs.props <- { file = "data/sprites/props.png", mipmaps = false, frame_size = [32, 32] };
g_texture_defs.ground <- { file = "data/sprites/ground.png", mipmaps = false };
g_texture_defs.effects <- { file = "data/sprites/effects.png", mipmaps = false };
// A font finds its texture by its descriptor's path with "png" for "fnt".
g_texture_defs["data/fonts/dejavu_sans_18.png"] <- { mipmaps = false };

g_font_defs.text <- { file = "data/fonts/dejavu_sans_18.fnt" };
// SimpleUI labels write in the font named "system".
g_font_defs.system <- { file = "data/fonts/dejavu_sans_18.fnt" };

// Animated sprites: texture frames played in order over "duration" seconds.
g_sprite_defs.player_walk <- { texture = "player", frames = [0, 1, 2, 3], duration = 0.48, loop = true };
g_sprite_defs.gloom <- { texture = "gloom", frames = [0, 1], duration = 0.24, loop = true };

// Static sprites: one frame of a sheet, or a rectangle of it.
g_sprite_defs.star <- { texture = "pickups", frame = 0, pivot = "center" };
g_sprite_defs.gem <- { texture = "pickups", frame = 1, pivot = [16, 28] };
g_sprite_defs.bush <- { texture = "props", frame = 0, pivot = "bottom" };
g_sprite_defs.mushroom <- { texture = "props", frame = 1, pivot = "bottom" };
g_sprite_defs.flowers <- { texture = "props", frame = 2, pivot = "bottom" };
g_sprite_defs.rock <- { texture = "props", frame = 3, pivot = "bottom" };
g_sprite_defs.ground <- { texture = "ground" };
g_sprite_defs.ring <- { texture = "effects", rect = [0, 0, 32, 32], pivot = "center" };
g_sprite_defs.shadow <- { texture = "effects", rect = [32, 0, 32, 16], pivot = "center" };
g_sprite_defs.spark <- { texture = "effects", rect = [32, 16, 16, 16], pivot = "center" };
g_sprite_defs.glow <- { texture = "effects", rect = [48, 16, 16, 16], pivot = "center" };

// Particle emitters. A pulse emits "pulse_particle_count" particles from a
// point of "area"; each particle flies off in "direction" (degrees, 0 is up)
// at "speed", falls with "gravity" and lives "duration" seconds, while the
// *_run pairs blend its look from the first value to the second.
g_emitter_defs.pickup_burst <- {
    pulse_count = 1,
    pulse_particle_count = [22, 30],
    area = { type = "box", center = [0, -6], size = [10, 10] },
    particle = {
        sprite = ["spark", "glow"],
        direction = [0, 360],
        speed = [60, 170],
        gravity = [140, 220],
        duration = [0.45, 0.9],
        angle = [0, 90],
        rotation_speed = 240,
        alpha_run = [1, 0],
        color_run = [[255, 225, 110], [255, 120, 30]],
        scale_run = [[1.3, 1.3], [0.4, 0.4]]
    }
};

g_emitter_defs.click_burst <- {
    pulse_count = 1,
    pulse_particle_count = [12, 16],
    area = { type = "box", center = [0, 0], size = [4, 4] },
    particle = {
        sprite = "spark",
        direction = [0, 360],
        speed = [40, 110],
        gravity = 0,
        duration = [0.3, 0.55],
        alpha_run = [1, 0],
        color_run = [[200, 255, 255], [90, 160, 255]],
        scale_run = [[1, 1], [0.2, 0.2]]
    }
};

// Fireflies drift up over the whole meadow, a few each second, for ever. An
// occlusion of 0 keeps a particle's colour but zeroes its alpha, so it adds
// light to what lies below: a glow.
g_emitter_defs.fireflies <- {
    pulse_rate = [3, 6],
    area = { type = "box", center = [CANVAS_WIDTH / 2, CANVAS_HEIGHT / 2 + 20], size = [CANVAS_WIDTH, CANVAS_HEIGHT - 40] },
    particle = {
        sprite = "glow",
        direction = [-40, 40],
        speed = [6, 18],
        gravity = -4,
        duration = [2.5, 4.5],
        alpha_run = [1, 0],
        occlusion_run = 0,
        color_run = [[255, 250, 150], [200, 255, 110]],
        scale_run = [[1.4, 1.4], [0.6, 0.6]]
    }
};

// Sounds: effects are decoded into memory when first named; the music is
// streamed from its file while it plays. Categories are the volume groups the
// player could set: 0 effects, 1 music (made the music category in init).
// pitch_variation plays each footstep up to 6 % higher or lower; mingap keeps
// two footsteps from starting closer than 0.15 s.
g_sound_defs.pickup <- { files = ["sounds/pickup.wav"], category = 0, volume = 0.8 };
g_sound_defs.hit <- { files = ["sounds/hit.wav"], category = 0, volume = 0.9 };
g_sound_defs.footstep <- { files = ["sounds/footstep.wav"], category = 0, volume = 0.5, pitch_variation = 12, mingap = 0.15 };
g_sound_defs.music <- { files = ["sounds/music.wav"], streaming = true, category = 1, volume = 0.6 };
