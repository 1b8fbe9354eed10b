// The things that move on the meadow. Each is a script class derived from the
// engine's SceneObject: the engine steps its tweens and animation inside
// Scene.update and then calls the callbacks defined here (on_move_end,
// on_rotate_end, on_fade_alpha_end, on_collision).

// A random point of the playing field, away from the HUD bars.
function random_field_point(margin) {
    return [::System.get_random_float(margin, CANVAS_WIDTH - margin),
            ::System.get_random_float(HUD_BAR_HEIGHT + margin, CANVAS_HEIGHT - HUD_BAR_HEIGHT - margin)];
}

function distance_between(a, b) {
    local dx = b[0] - a[0];
    local dy = b[1] - a[1];
    return sqrt(dx * dx + dy * dy);
}

// A soft ellipse on the ground. As a child of its owner it follows it with no
// code of ours: the engine composes the transforms.
function add_shadow(scene, owner, offset_y) {
    local shadow = SceneObject();
    shadow.set_sprite("shadow");
    shadow.set_layer(LAYER_SHADOWS);
    shadow.set_scene(scene);
    shadow.set_parent(owner);
    shadow.set_position(0, offset_y);
}

// A one-shot particle burst that removes itself when its last spark is gone.
function spawn_burst(scene, emitter_name, position) {
    local burst = SceneObject();
    burst.set_emitter(emitter_name);
    burst.set_auto_destroy(true);
    burst.set_position(position);
    burst.set_layer(LAYER_EFFECTS);
    burst.set_scene(scene);
}

// ---------------------------------------------------------------------------
// The player: walks with the arrow keys or WASD, or flies to a clicked point.

class Player extends SceneObject {
    hurt_seconds = 0.0;
    flying = false;

    constructor(scene, position) {
        base.constructor();
        set_sprite("player_walk");
        set_layer(LAYER_ACTORS);
        set_scene(scene);
        set_position(position);
        play();
        // One circle around the body; positions are relative to the feet.
        add_collision_circle([0, -11], 10);
        set_collision_bits(HIT_PLAYER, HIT_ENEMY | HIT_PICKUP);
        add_shadow(scene, this, 0);
    }

    // direction: [x, y] with components -1, 0 or 1, from the held keys.
    function update(dt, direction) {
        hurt_seconds = hurt_seconds > dt ? hurt_seconds - dt : 0.0;
        local moving = direction[0] != 0 || direction[1] != 0;
        if (moving) {
            stop_move();  // the keys take over from a click's flight
            flying = false;
            local scale = direction[0] != 0 && direction[1] != 0 ? 0.7071 : 1.0;
            local position = get_position();
            set_position(clamp_to_field([position[0] + direction[0] * PLAYER_SPEED * scale * dt,
                                         position[1] + direction[1] * PLAYER_SPEED * scale * dt]));
            face(direction[0]);
        }
        set_playing_speed(moving || flying ? 1.6 : 0.6);
    }

    // Eased flight: speeds up for 0.15 s, cruises, slows down for 0.25 s.
    function fly_to(target) {
        target = clamp_to_field(target);
        local position = get_position();
        local duration = distance_between(position, target) / PLAYER_SPEED + 0.2;
        move_to2(target, duration, 0.15, 0.25);
        flying = true;
        face(target[0] - position[0]);
    }

    function on_move_end() {
        flying = false;
    }

    function on_collision(other) {
        other.touched_by(this);
    }

    // Knocked back and blinking; nothing can hurt it again while it blinks.
    function hurt_by(enemy) {
        if (hurt_seconds > 0)
            return false;
        hurt_seconds = PLAYER_HURT_SECONDS;
        local from = enemy.get_position();
        local position = get_position();
        local length = distance_between(from, position) + 0.001;
        fly_to([position[0] + (position[0] - from[0]) / length * 40, position[1] + (position[1] - from[1]) / length * 40]);
        fade_alpha_to(0.25, 0.1);
        return true;
    }

    // Each fade that ends starts the next one while the player is hurt.
    function on_fade_alpha_end() {
        local alpha = get_color()[3];
        if (hurt_seconds > 0 || alpha < 1.0)
            fade_alpha_to(alpha < 0.5 ? 1.0 : 0.25, 0.1);
    }

    function face(dx) {
        if (dx != 0)
            set_local_scale(dx < 0 ? -1 : 1, 1);
    }

    function clamp_to_field(point) {
        return [point[0] < 16 ? 16 : point[0] > CANVAS_WIDTH - 16 ? CANVAS_WIDTH - 16 : point[0],
                point[1] < HUD_BAR_HEIGHT + 26 ? HUD_BAR_HEIGHT + 26
                    : point[1] > CANVAS_HEIGHT - HUD_BAR_HEIGHT - 2 ? CANVAS_HEIGHT - HUD_BAR_HEIGHT - 2 : point[1]];
    }
}

// ---------------------------------------------------------------------------
// A gloom: a bat that wanders from one random point to the next.

class Gloom extends SceneObject {
    constructor(scene) {
        base.constructor();
        set_sprite("gloom");
        set_layer(LAYER_ACTORS);
        set_scene(scene);
        set_position(random_field_point(40));
        play_random();  // so that the bats do not flap in step
        add_collision_circle([0, 0], 9);
        set_collision_bits(HIT_ENEMY, 0);
        add_shadow(scene, this, 22);
        wander();
    }

    function wander() {
        local target = random_field_point(40);
        local position = get_position();
        local duration = distance_between(position, target) / ::System.get_random_float(50, 90) + 0.5;
        move_to2(target, duration, duration * 0.3, duration * 0.3);
        set_local_scale(target[0] < position[0] ? -1 : 1, 1);
    }

    function on_move_end() {
        wander();
    }

    function touched_by(player) {
        if (player.hurt_by(this))
            ::demo.player_hurt();
    }
}

// ---------------------------------------------------------------------------
// A pickup: a spinning star or a wobbling gem. Collected, it floats up and
// fades out, then appears again somewhere else.

class Pickup extends SceneObject {
    value = 0;
    collected = false;

    constructor(scene, sprite_name, points) {
        base.constructor();
        value = points;
        set_sprite(sprite_name);
        set_layer(LAYER_ACTORS);
        set_scene(scene);
        add_collision_circle([0, sprite_name == "gem" ? -12 : 0], 10);
        appear();
    }

    function appear() {
        collected = false;
        stop_move();
        set_position(random_field_point(30));
        set_color([1, 1, 1, 0]);
        fade_alpha_to(1, 0.5);
        set_collision_bits(HIT_PICKUP, 0);
        start_motion();
    }

    function touched_by(player) {
        if (collected)
            return;
        collected = true;
        set_collision_bits(0, 0);  // no more on_collision for this one
        local position = get_position();
        spawn_burst(::demo.scene, "pickup_burst", position);
        move_to2([position[0], position[1] - 30], 0.45, 0.05, 0.3);
        fade_alpha_to(0, 0.45);
        ::demo.pickup_collected(this);
    }

    function on_fade_alpha_end() {
        if (collected)
            appear();
    }
}

class Star extends Pickup {
    constructor(scene) {
        base.constructor(scene, "star", 1);
    }

    function start_motion() {
        rotate(::System.get_random_int(0, 1) == 0 ? 90 : -90);  // degrees per second
    }
}

class Gem extends Pickup {
    constructor(scene) {
        base.constructor(scene, "gem", 5);
    }

    function start_motion() {
        rotate_to(12, 40);
    }

    // Rocks from one side to the other: each turn that ends starts the next.
    function on_rotate_end() {
        rotate_to(get_angle() > 180 ? 12 : -12, 40);
    }
}
