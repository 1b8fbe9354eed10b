// Constants of the model viewer. The engine runs this file before main.nut.
const VIEWER_NAME = "Quillmoor Model Viewer";
// The model the viewer opens, from g_model_defs in defs.nut.
const VIEWER_MODEL = "house";
// One full turn of the model takes this many seconds.
const TURN_SECONDS = 8.0;
// Setting: quit after this many frames (0 runs until Esc), for scripted runs.
const CVAR_QUIT_AFTER_FRAMES = "viewer::quit_after_frames";
