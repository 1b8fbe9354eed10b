local i = 0; while (true) { i++; }
