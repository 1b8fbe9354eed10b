// Constants shared by the demo's scripts. The engine runs this file before
// main.nut, so every later script can use these names.
const DEMO_NAME = "Quillmoor Demo";

// The game is drawn on a fixed virtual canvas that View2d scales to the window.
const CANVAS_WIDTH = 640;
const CANVAS_HEIGHT = 360;
// The strip at the top and bottom that the HUD covers; actors stay out of it.
const HUD_BAR_HEIGHT = 26;

// Scene layers, drawn from the lowest to the highest.
const LAYER_GROUND = -16;
const LAYER_SHADOWS = -8;
const LAYER_ACTORS = 0;
const LAYER_EFFECTS = 8;
const LAYER_HUD = 15;
const LAYER_HUD_TEXT = 16;

// Collision categories. An object's mask says which categories it reacts to:
// the player's mask holds enemies and pickups, so the player gets on_collision.
const HIT_PLAYER = 1;
const HIT_ENEMY = 2;
const HIT_PICKUP = 4;

const PLAYER_SPEED = 150.0;        // canvas units per second
const PLAYER_HURT_SECONDS = 1.5;   // blinking, untouchable time after a hit
const STAR_COUNT = 4;
const GEM_COUNT = 2;
const GLOOM_COUNT = 3;

// Settings a test run passes in boot.config or game_config.txt (0 = off).
const CVAR_AUTOPILOT = "demo::autopilot";
const CVAR_QUIT_AFTER_FRAMES = "demo::quit_after_frames";
