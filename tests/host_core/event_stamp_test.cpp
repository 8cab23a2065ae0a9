// Event stamping.
#include "host/core/event_stamp.h"

#include <gtest/gtest.h>

#include <limits>

#include "host/core/dpi_scale.h"

namespace rava {
namespace {

TEST(EventStamp, TakesTheSequenceIntoAllThreeStampsAndAdvancesIt) {
    int64_t sequence = 1;
    EventStamps a;
    EventStamps b;
    EXPECT_EQ(StampEvent(sequence, a, kEventKeyDown), 1);
    EXPECT_EQ(StampEvent(sequence, b, kEventPointerMove), 2);
    EXPECT_EQ(StampEvent(sequence, a, kEventNone), 3);
    EXPECT_EQ(sequence, 4);
    EXPECT_EQ(a.stateStamp, 3);
    EXPECT_EQ(a.inputStamp, 3);
    EXPECT_EQ(a.textStamp, 3);
    EXPECT_EQ(a.lastEventKind, kEventKeyDown);  // kind 0 keeps the last kind
    EXPECT_EQ(b.lastEventKind, kEventPointerMove);
    EXPECT_EQ(b.stateStamp, 2);
}

TEST(EventStamp, SequenceSaturatesInsteadOfOverflowing) {
    int64_t sequence = std::numeric_limits<int64_t>::max() - 1;
    EventStamps s;
    StampEvent(sequence, s, kEventWheel);
    EXPECT_EQ(StampEvent(sequence, s, kEventWheel), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(StampEvent(sequence, s, kEventWheel), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(sequence, std::numeric_limits<int64_t>::max());
}

TEST(DpiScale, RoundsHalfUpAndSaturates) {
    const std::pair<uint32_t, int32_t> cases[] = {{96, 100},  {120, 125}, {144, 150},
                                                  {192, 200}, {97, 101},  {100, 104},
                                                  {132, 138}, {0, 0},     {UINT32_MAX, INT32_MAX}};
    for (const auto& [dpi, percent] : cases) EXPECT_EQ(DpiScalePercent(dpi), percent) << dpi;
}

}  // namespace
}  // namespace rava
