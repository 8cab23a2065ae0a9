// Event stamping for canvas windows: every recorded state change takes the
// next value of a process-wide sequence and writes it into the window's three
// stamps (state, input, text); a non-zero kind also becomes the last-event kind.
#pragma once

#include <cstdint>

namespace rava {

// Event kinds recorded by the window procedure (0 = no kind).
enum CanvasEventKind : int32_t {
    kEventNone = 0,
    kEventKeyDown = 100,
    kEventKeyUp = 101,
    kEventPointerMove = 200,
    kEventPointerDown = 201,
    kEventPointerUp = 202,
    kEventWheel = 203,
    kEventCaptureLost = 204,
    kEventPointerCancelled = 205,
    kEventFilesDropped = 210,
};

struct EventStamps {
    int64_t stateStamp = 0;
    int64_t inputStamp = 0;
    int64_t textStamp = 0;
    int32_t lastEventKind = 0;
};

// Takes the current sequence value, advances the sequence (saturating at the
// largest int64, so a hostile count never overflows) and returns the value taken.
int64_t StampEvent(int64_t& sequence, EventStamps& stamps, int32_t kind);

}  // namespace rava
