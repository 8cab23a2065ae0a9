// Window-procedure decisions that need no window. The accumulator is the one
// piece of host state touched atomically; its sums never overflow.
#include "host/core/input_rules.h"

#include <algorithm>
#include <limits>

namespace rava {

namespace {

int32_t SaturatingAdd(int32_t a, int64_t b) {
    // b may itself be hostile: clamp it first so the 64-bit sum cannot wrap.
    const int64_t lo = std::numeric_limits<int32_t>::min();
    const int64_t hi = std::numeric_limits<int32_t>::max();
    const int64_t sum = static_cast<int64_t>(a) + std::clamp<int64_t>(b, 2 * lo, 2 * hi);
    return static_cast<int32_t>(std::clamp<int64_t>(sum, lo, hi));
}

}  // namespace

uint64_t PackRawMotion(int32_t x, int32_t y) {
    return static_cast<uint64_t>(static_cast<uint32_t>(x)) | (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32);
}

int32_t RawMotionX(uint64_t packed) { return static_cast<int32_t>(static_cast<uint32_t>(packed & 0xFFFFFFFFu)); }

int32_t RawMotionY(uint64_t packed) { return static_cast<int32_t>(static_cast<uint32_t>(packed >> 32)); }

uint64_t AddRawMotion(uint64_t packed, int64_t dx, int64_t dy) {
    return PackRawMotion(SaturatingAdd(RawMotionX(packed), dx), SaturatingAdd(RawMotionY(packed), dy));
}

void AccumulateRawMotion(std::atomic<uint64_t>& word, int64_t dx, int64_t dy) {
    uint64_t seen = word.load(std::memory_order_relaxed);
    while (!word.compare_exchange_weak(seen, AddRawMotion(seen, dx, dy), std::memory_order_acq_rel,
                                       std::memory_order_relaxed)) {
    }
}

bool IsSynthesizedPointerMouse(uintptr_t extraInfo) {
    return (static_cast<uint64_t>(extraInfo) & 0xFFFFFF00u) == 0xFF515700u;
}

bool IsKeyRepeat(uint64_t lParam) { return (lParam & 0x4000FFFEu) != 0; }

uint32_t UpdateModifierMask(uint32_t mask, uint32_t virtualKey, bool down) {
    uint32_t bit = 0;
    if (virtualKey == 16) bit = 1;
    if (virtualKey == 17) bit = 2;
    if (virtualKey == 18) bit = 4;
    return down ? (mask | bit) : (mask & ~bit);
}

bool CountKeyPress(uint8_t (&counters)[256], uint32_t virtualKey) {
    if (virtualKey > 255) return false;
    if (counters[virtualKey] < 255) ++counters[virtualKey];
    return true;
}

int32_t PenPressure(bool hasPressure, uint32_t rawPressure, bool isDown) {
    if (!hasPressure) return isDown ? 1000 : 0;
    const uint64_t scaled = static_cast<uint64_t>(rawPressure) * 1000u;
    if (scaled > 1023999u) return 1000;
    return static_cast<int32_t>(scaled / 1024u);
}

int32_t TouchCoordinateToPixels(int32_t hundredths) { return hundredths / 100; }

SessionRecord ClassifySessionMessage(SessionMessage message, uint64_t wParam, int64_t lParam, bool focused) {
    SessionRecord r;
    r.value = static_cast<int64_t>(wParam);
    switch (message) {
        case SessionMessage::kActivateApp:
            r.kind = 1;
            r.flag = wParam != 0;
            break;
        case SessionMessage::kPowerBroadcast:
            r.kind = 2;
            r.flag = wParam == 7 || wParam == 18 || (focused && wParam != 4);
            r.result = 1;
            break;
        case SessionMessage::kSessionChange:
            r.kind = 3;
            r.flag = (wParam == 6 || wParam == 7) ? false : (wParam == 5 || wParam == 8 || focused);
            break;
        case SessionMessage::kQueryEndSession:
            r.kind = 4;
            r.value = lParam;
            r.flag = false;
            r.result = 1;
            break;
        case SessionMessage::kEndSession:
            r.kind = 5;
            r.flag = wParam == 0;
            break;
    }
    return r;
}

}  // namespace rava
