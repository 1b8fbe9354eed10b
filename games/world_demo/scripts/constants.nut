// Constants of the world demo. The engine runs this file before main.nut.
const WORLD_NAME = "Quillmoor World Demo";
// One Fixed unit.
const U = 65536;
// The room, in world units; the canvas shows all of it.
const ROOM_WIDTH = 480;
const ROOM_DEPTH = 270;
// How many balls wander the room, unless the setting says otherwise.
const BALL_COUNT = 300;
const CVAR_BALL_COUNT = "world::ball_count";
// Game ticks per second; the world advances by whole ticks.
const TICKS_PER_SECOND = 60;
// Setting: quit after this many frames (0 runs until Esc), for scripted runs.
const CVAR_QUIT_AFTER_FRAMES = "world::quit_after_frames";
