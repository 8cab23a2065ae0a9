// The interactive mode's state between frames: toggles, palette index,
// exposure, simulated time, and what the previous frame saw of the pointer
// and the clock. Plain data, owned by the frame loop.
#pragma once

#include <cstdint>

namespace rava {

struct LoopState {
    bool paused = false;
    bool fountainsOn = true;
    bool bloomOn = true;
    int32_t colorIndex = 0;     // 0 pink, 1 cyan, 2 amber
    float exposure = 0.8f;      // kept within [0.15, 3]
    float simTime = 0.0f;       // seconds of unpaused simulation
    int32_t lastFrameTime = 0;  // low 32 bits of the millisecond clock
    bool previousDown = false;
    int32_t previousX = 0;
    int32_t previousY = 0;
};

// What a frame measured before its controls ran.
struct FrameInput {
    float dt = 0.001f;   // seconds, within [0.001, 0.04]
    bool down = false;   // primary button held now
    bool click = false;  // held now and not at the previous frame
};

}  // namespace rava
