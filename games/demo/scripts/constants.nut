// Constants shared by the demo's scripts.
const DEMO_NAME = "Quillmoor Demo";
const DEMO_FRAMES_TO_RUN = 60;
