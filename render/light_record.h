// LightRecord: one light as the stampers and the stamp shader see it.
#pragma once

#include <cstdint>

// At most this many lights reach a stamp; a longer list is cut.
constexpr int kMaxStampLights = 10;

struct LightRecord {
    float colour[3] = {1.0f, 1.0f, 1.0f};     // red, green, blue
    float direction[3] = {0.0f, 0.0f, 1.0f};  // unit vector from the paint toward the light
    uint8_t ambient = 0;
    uint8_t diffuse = 1;
    uint8_t specular = 1;
};

// True when the light contributes nothing (all colour channels zero).
inline bool IsBlack(const LightRecord& light) {
    return light.colour[0] == 0.0f && light.colour[1] == 0.0f && light.colour[2] == 0.0f;
}
