// Constants of the co-op game. The engine runs this file before main.nut.
const GAME_NAME = "Quillmoor Co-op";

// One Fixed unit: positions, velocities and sizes of the world are Fixed.
const U = 65536;

// The room in world units; the canvas shows all of it. The band at the top
// is the back wall, so the floor that can be walked starts below it.
const ROOM_WIDTH = 480;
const ROOM_DEPTH = 270;
const BACK_WALL = 40;

const MAX_PLAYERS = 4;
const TICKS_PER_SECOND = 60;

// The bits of a player's input for one tick.
const INPUT_UP = 0x1;
const INPUT_DOWN = 0x2;
const INPUT_LEFT = 0x4;
const INPUT_RIGHT = 0x8;
const INPUT_JUMP = 0x10;
const INPUT_ACTION = 0x20;
// Set by the netplay library on a player whose input is there at all.
const INPUT_PRESENT = 0x8000;

// Collision groups: bit 0 is the room's own walls and crates.
const GROUP_STATIC = 1;
const GROUP_HERO = 2;
const GROUP_CREATURE = 4;

// Rules of play, in ticks and world units.
const HERO_SPEED = 110;
const HERO_JUMP_SPEED = 420;
const HERO_STUN_TICKS = 45;
const SHOO_COOLDOWN_TICKS = 30;
const SHOO_RADIUS = 44;
const GEM_COUNT = 5;
const GEM_REACH = 14;
const CREATURE_REACH = 12;
const CREATURE_SPEED = 38;
const CREATURE_BASE_LIMIT = 3;
const CREATURE_LIMIT = 10;
const POINTS_GEM = 1;
const POINTS_SHOO = 2;

// Settings (registered in preinit; boot.config or game_config.txt set them).
const CVAR_MODE = "coop::mode";
const CVAR_HOST = "coop::host";
const CVAR_PORT = "coop::port";
const CVAR_AUTOPILOT = "coop::autopilot";
const CVAR_QUIT_AFTER_TICKS = "coop::quit_after_ticks";
const CVAR_LATENCY_MS = "coop::latency_ms";
const CVAR_SEED = "coop::seed";
const CVAR_REPLAY = "coop::replay";
const CVAR_LOG_CRC = "coop::log_crc";
const CVAR_LOCAL_PLAYERS = "coop::local_players";
// An unattended run (coop::quit_after_ticks) whose game stops advancing for
// this long gives up.
const STALL_QUIT_SECONDS = 15;
const DEFAULT_HOST = "127.0.0.1";
const DEFAULT_PORT = 27960;
const DEFAULT_SEED = 20261209;

// A spare save slot for the state checksum lines of test runs.
const CRC_LOG_SLOT = 250;
