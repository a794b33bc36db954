// Drawing of the outline tables as slabs, and the lighting and stripe texture state.
#pragma once

// Light 0's position, placed by the frame cycle under the frame's transform and again by
// setupScene.
extern const float light0Position[4];

// The whole fixed-function state: clear colour, stripe texture, depth test, both lights.
// Light positions are taken under the model-view matrix current at the call.
void setupScene();

// Front faces at z = 0, then back faces at z = 0.1, of the P table and then the TP table.
void drawCaps();

// The side walls of every polygon, P table then TP table.
void drawSides();
