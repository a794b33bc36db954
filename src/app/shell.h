// The callbacks the entry registers with GLUT.
#pragma once

// Draws one frame (re-reading logo.txt), advances the animation and asks for the next.
void drawFrame();

// The same frame with read standing where the frame re-reads logo.txt, for benchmarks that
// time the cycle with the tables kept as they are.
void runFrame(void (*read)());

// Keeps the viewport and an orthographic projection 2 units wide in step with the window.
void onReshape(int width, int height);

// END quits with status 0; every other special key asks for a redisplay.
void onSpecialKey(int key, int x, int y);
