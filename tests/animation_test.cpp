// The animation: the scale's exact turning points and the angles over long runs.
#include "animation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const AnimationState start = {0, 0, 0, 1, 1, 1, 1.0, 1};

// The scale frame n is drawn with: the value after n steps from the start.
double scaleOfFrame(int n) {
    animation = start;
    for (int i = 0; i < n; ++i) {
        advanceAnimation();
    }
    return animation.scale;
}

} // namespace

TEST(Animation, ScalePulsesBetweenZeroAndTwo) {
    EXPECT_EQ(scaleOfFrame(0), 1.0);
    EXPECT_EQ(scaleOfFrame(20), 2.0);
    EXPECT_EQ(scaleOfFrame(60), 0.0);
    EXPECT_EQ(scaleOfFrame(100), 2.0);
    EXPECT_EQ(scaleOfFrame(140), 0.0);
    EXPECT_EQ(animation.growing, 1);

    animation = start;
    double history[400];
    for (double& value : history) {
        value = animation.scale;
        EXPECT_GE(value, 0.0);
        EXPECT_LE(value, 2.0);
        EXPECT_EQ(animation.scaleX, static_cast<float>(value));
        EXPECT_EQ(animation.scaleZ, animation.scaleY);
        advanceAnimation();
    }
    for (int n = 20; n + 80 < 400; ++n) {
        EXPECT_EQ(history[n], history[n + 80]) << "frame " << n;
    }
    // Strict limits: 21 steps from 1 reach the clamp; the shrinking half takes 40 frames.
    EXPECT_LT(history[19], 2.0);
    EXPECT_GT(history[59], 0.0);
}

TEST(Animation, AnglesKeepAdvancingOverLongRuns) {
    animation = start;
    const long frames = 30000000;
    for (long n = 1; n <= frames; ++n) {
        float beforeX = animation.angleX;
        float beforeZ = animation.angleZ;
        advanceAnimation();
        if (n % 1000003 == 0 || n > frames - 3) {
            ASSERT_NE(animation.angleX, beforeX) << "frame " << n;
            ASSERT_NE(animation.angleZ, beforeZ) << "frame " << n;
            ASSERT_EQ(animation.angleX, static_cast<float>((3 * n) % 360)) << "frame " << n;
            ASSERT_EQ(animation.angleY, static_cast<float>((5 * n) % 360)) << "frame " << n;
            ASSERT_EQ(animation.angleZ, static_cast<float>((2 * n) % 360)) << "frame " << n;
        }
    }
}
