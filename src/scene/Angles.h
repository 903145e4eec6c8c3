#pragma once

// Angles of the scene are kept in degrees; GL and GLM take radians.
constexpr float kRadiansPerDegree = 0.01745329f;
constexpr float kFullTurnDegrees = 360.0f;

// An angle of up to one turn out of [0, 360) brought back into it.
inline float WrapDegrees(float angle) {
    if (angle < 0.0f) {
        angle += kFullTurnDegrees;
    } else if (angle >= kFullTurnDegrees) {
        angle -= kFullTurnDegrees;
    }
    return angle;
}
