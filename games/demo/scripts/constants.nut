// Constants shared by the demo's scripts.
const DEMO_NAME = "Quillmoor Demo";
