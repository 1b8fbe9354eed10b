// Sounds, sparks and notices that the simulation asks for. A rollback runs
// ticks again that were already shown; their effects were seen and heard the
// first time, so only a tick newer than every tick before it plays them.
// Nothing here is read back by the simulation.

// A sample plays at most eight times at once, and a further play is refused
// with an error; a frame that catches up on many ticks would ask for more.
// So one sound starts at most once a frame and SOUND_GAP_TICKS apart.
const SOUND_GAP_TICKS = 6;

class Effects {
    newest_tick = -1;
    live = false;
    hud = null;
    // sound name -> the tick it last started on / whether it started this frame
    sound_ticks = null;
    sounds_this_frame = null;

    constructor() {
        sound_ticks = {};
        sounds_this_frame = {};
    }

    function new_frame() {
        sounds_this_frame = {};
    }

    function enter_tick(tick) {
        live = tick > newest_tick;
        if (live)
            newest_tick = tick;
    }

    function reset() {
        newest_tick = -1;
        live = false;
        sound_ticks = {};
    }

    // Pans with where it happens: the left edge -0.6, the right edge 0.6.
    function sound(name, x) {
        if (!live || name in sounds_this_frame || (name in sound_ticks && newest_tick - sound_ticks[name] < SOUND_GAP_TICKS))
            return;
        sounds_this_frame[name] <- true;
        sound_ticks[name] <- newest_tick;
        local channel = SoundChannel();
        channel.set_sound(name);
        channel.set_panning(fixed_to_float(x) / ROOM_WIDTH * 1.2 - 0.6);
        channel.play();
    }

    // Sparks thrown out evenly around a point of the floor.
    function burst(room, position, count) {
        if (!live)
            return;
        for (local i = 0; i < count; i += 1) {
            local spark = room.create_particle("spark", position, 8 * U, 7, 0, 0);
            room.set_particle_velocity_from_angle_and_speed(spark, i.tofloat() / count, 70.0);
            room.add_particle_velocity(spark, [0.0, 0.0, 140.0]);
            room.set_particle_gravity(spark, 500.0);
            room.set_particle_duration_and_fade(spark, 0.6, 0.3);
            room.set_particle_shadow_sprite(spark, "shadow");
        }
    }

    function notice(text) {
        if (live && hud != null)
            hud.event(text);
    }
}

::coop_effects <- Effects();
