// Small decisions of the window procedure, kept free of Win32 so they can be
// fed directly: raw-motion accumulation, key-event flags and counters, pen
// pressure, the synthesized-mouse mark and the session-notification table.
#pragma once

#include <atomic>
#include <cstdint>

namespace rava {

// Raw motion: x in the low 32 bits, y in the high 32 bits, each a two's
// complement int32 that saturates at the int32 limits.
uint64_t PackRawMotion(int32_t x, int32_t y);
int32_t RawMotionX(uint64_t packed);
int32_t RawMotionY(uint64_t packed);
uint64_t AddRawMotion(uint64_t packed, int64_t dx, int64_t dy);
// Compare-and-swap loop on the shared accumulator word.
void AccumulateRawMotion(std::atomic<uint64_t>& word, int64_t dx, int64_t dy);

// Mouse messages synthesized from pen or touch input carry this mark in
// their extra info.
bool IsSynthesizedPointerMouse(uintptr_t extraInfo);

// A key message is a repeat when its lParam carries the previous-state bit
// or a repeat count above 1.
bool IsKeyRepeat(uint64_t lParam);

// Modifier mask bits: shift 1, control 2, alt 4 (virtual keys 16, 17, 18).
uint32_t UpdateModifierMask(uint32_t mask, uint32_t virtualKey, bool down);

// Counts one first press of `virtualKey`; counters stop at 255 and codes
// outside 0..255 are ignored. Returns whether a counter was touched.
bool CountKeyPress(uint8_t (&counters)[256], uint32_t virtualKey);

// Pen pressure on the 0..1000 scale from the raw 0..1024 reading.
int32_t PenPressure(bool hasPressure, uint32_t rawPressure, bool isDown);

// TOUCHINPUT coordinates are hundredths of a pixel.
int32_t TouchCoordinateToPixels(int32_t hundredths);

// Session notifications as recorded in the registry's session block.
enum class SessionMessage { kActivateApp, kPowerBroadcast, kSessionChange, kQueryEndSession, kEndSession };
struct SessionRecord {
    int32_t kind = 0;
    int64_t value = 0;
    bool flag = false;
    intptr_t result = 0;
};
SessionRecord ClassifySessionMessage(SessionMessage message, uint64_t wParam, int64_t lParam, bool focused);

}  // namespace rava
