// Event stamping: one shared sequence, three identical per-window stamps.
#include "host/core/event_stamp.h"

#include <limits>

namespace rava {

int64_t StampEvent(int64_t& sequence, EventStamps& stamps, int32_t kind) {
    const int64_t taken = sequence;
    if (sequence < std::numeric_limits<int64_t>::max()) ++sequence;
    stamps.stateStamp = taken;
    stamps.inputStamp = taken;
    stamps.textStamp = taken;
    if (kind != kEventNone) stamps.lastEventKind = kind;
    return taken;
}

}  // namespace rava
