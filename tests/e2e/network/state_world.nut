// The saved classes both engines of the state case register, in one order.
class World extends StateObject </ world_seed = true /> {
    </ type = "sint32" /> seed = 0;
}

class Level extends StateObject </ static_class = true, fn_destroy_dynamic_objects = "drop_all" /> {
    </ type = "ref[]" /> things = null;
    constructor() { base.constructor(); things = []; }
    function drop_all() { things = []; }
}

class Thing extends StateObject {
    </ type = "sint32" /> hp = 0;
    </ type = "uint8" /> kind = 0;
    </ type = "string" /> name = null;
    </ type = "weakref", nullable = true /> target = null;
}

::Network.register_state_class("World");
::Network.register_state_class("Level");
::Network.register_state_class("Thing");
