// The animation state: three spinning angles and a scale that pulses between 0 and 2.
#pragma once

struct AnimationState {
    float angleX, angleY, angleZ; // degrees, kept in [0, 360)
    float scaleX, scaleY, scaleZ; // what the frame hands to glScalef
    double scale;                 // the animated value, in double precision
    int growing;                  // 1 while the scale grows, 0 while it shrinks
};

extern AnimationState animation;

// One step of every value, done after each drawn frame.
void advanceAnimation();
