// Advancing the animation by one step per drawn frame.
#include "animation.h"

AnimationState animation = {0, 0, 0, 1, 1, 1, 1.0, 1};

namespace {

constexpr float stepX = 3, stepY = 5, stepZ = 2;
constexpr float fullTurn = 360;
constexpr double scaleStep = 0.05;
constexpr double maxScale = 2.0;
constexpr double minScale = 0.0;

// Angles grow without end otherwise, and a float past 2^24 degrees stops changing; whole
// steps keep the wrapped angle exactly congruent to the unwrapped one.
void turn(float& angle, float step) {
    angle += step;
    if (angle >= fullTurn) {
        angle -= fullTurn;
    }
}

} // namespace

void advanceAnimation() {
    turn(animation.angleX, stepX);
    turn(animation.angleY, stepY);
    turn(animation.angleZ, stepZ);

    // Strict comparisons: a sum of exactly 2.0 (or 0.0) takes one more step before turning.
    if (animation.growing == 1) {
        animation.scale += scaleStep;
        if (animation.scale > maxScale) {
            animation.growing = 0;
            animation.scale = maxScale;
        }
    } else {
        animation.scale -= scaleStep;
        if (animation.scale < minScale) {
            animation.growing = 1;
            animation.scale = minScale;
        }
    }
    auto factor = static_cast<float>(animation.scale);
    animation.scaleX = animation.scaleY = animation.scaleZ = factor;
}
