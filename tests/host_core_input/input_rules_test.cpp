// Raw-motion accumulator, key-event flags and counters, pen pressure, the
// synthesized-mouse mark and the session-notification table.
#include "host/core/input_rules.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>
#include <vector>

namespace rava {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(RawMotion, PacksXLowAndYHigh) {
    const uint64_t p = PackRawMotion(-1, 2);
    EXPECT_EQ(p, 0x00000002FFFFFFFFull);
    EXPECT_EQ(RawMotionX(p), -1);
    EXPECT_EQ(RawMotionY(p), 2);
    EXPECT_EQ(RawMotionX(PackRawMotion(kMin, kMax)), kMin);
    EXPECT_EQ(RawMotionY(PackRawMotion(kMin, kMax)), kMax);
}

TEST(RawMotion, SumsSaturateIndependently) {
    uint64_t p = AddRawMotion(0, 5, -7);
    EXPECT_EQ(RawMotionX(p), 5);
    EXPECT_EQ(RawMotionY(p), -7);
    p = AddRawMotion(PackRawMotion(kMax - 1, kMin + 1), 10, -10);
    EXPECT_EQ(RawMotionX(p), kMax);
    EXPECT_EQ(RawMotionY(p), kMin);
    // Once saturated, motion the other way comes off the limit.
    p = AddRawMotion(p, -1, 1);
    EXPECT_EQ(RawMotionX(p), kMax - 1);
    EXPECT_EQ(RawMotionY(p), kMin + 1);
    // Hostile 64-bit deltas never wrap.
    p = AddRawMotion(0, std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(RawMotionX(p), kMax);
    EXPECT_EQ(RawMotionY(p), kMin);
}

TEST(RawMotion, CompareAndSwapLoopLosesNothingAcrossThreads) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    GTEST_SKIP() << "the WebAssembly build has no threads (nor a second writer)";
#endif
    std::atomic<uint64_t> word{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&word] {
            for (int i = 0; i < 10000; ++i) AccumulateRawMotion(word, 1, -2);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(RawMotionX(word.load()), 40000);
    EXPECT_EQ(RawMotionY(word.load()), -80000);
    for (int i = 0; i < 3; ++i) AccumulateRawMotion(word, kMax, kMin);
    EXPECT_EQ(RawMotionX(word.load()), kMax);
    EXPECT_EQ(RawMotionY(word.load()), kMin);
}

TEST(KeyEvents, PointerMarkAndRepeatFlagTables) {
    // Only the touch/pen signature in the low 32 bits marks a synthesized mouse message.
    const std::pair<uintptr_t, bool> marks[] = {
        {0xFF515700u, true}, {0xFF5157FFu, true}, {0xFF515780u, true}, {0, false}, {0xFF515600u, false},
        {0x7F515700u, false}, {static_cast<uintptr_t>(0x1FF515700ull), true},
        {static_cast<uintptr_t>(0xFF51570000ull), false},
    };
    for (const auto& [extra, marked] : marks) EXPECT_EQ(IsSynthesizedPointerMouse(extra), marked) << std::hex << extra;
    // Repeat: previous-state bit or a repeat count above one; scan code and transition bits do not count.
    const std::pair<uint32_t, bool> repeats[] = {
        {0x00000001, false}, {0x001E0001, false}, {0x80000001, false}, {0x40000001, true},
        {0x00000002, true},  {0x0000FFFE, true},  {0, false},
    };
    for (const auto& [lParam, repeat] : repeats) EXPECT_EQ(IsKeyRepeat(lParam), repeat) << std::hex << lParam;
}

TEST(KeyEvents, ModifierMaskTracksShiftControlAlt) {
    uint32_t m = 0;
    m = UpdateModifierMask(m, 16, true);
    m = UpdateModifierMask(m, 18, true);
    EXPECT_EQ(m, 5u);
    m = UpdateModifierMask(m, 17, true);
    EXPECT_EQ(m, 7u);
    m = UpdateModifierMask(m, 16, false);
    EXPECT_EQ(m, 6u);
    m = UpdateModifierMask(m, 65, true);
    m = UpdateModifierMask(m, 65, false);
    EXPECT_EQ(m, 6u);
}

TEST(KeyEvents, PressCountersStopAt255AndIgnoreWideCodes) {
    uint8_t counters[256] = {};
    for (int i = 0; i < 300; ++i) CountKeyPress(counters, 65);
    EXPECT_EQ(counters[65], 255);
    EXPECT_TRUE(CountKeyPress(counters, 255));
    EXPECT_TRUE(CountKeyPress(counters, 0));
    EXPECT_FALSE(CountKeyPress(counters, 256));
    EXPECT_FALSE(CountKeyPress(counters, 0xFFFFFFFF));
    EXPECT_EQ(counters[255], 1);
    EXPECT_EQ(counters[0], 1);
    int total = 0;
    for (uint8_t c : counters) total += c;
    EXPECT_EQ(total, 257);
}

TEST(PenPressure, ScalesAndCaps) {
    struct Case {
        bool pen;
        uint32_t raw;
        bool contact;
        int32_t expected;
    };
    const Case cases[] = {{true, 0, true, 0},          {true, 512, false, 500},  {true, 1023, true, 999},
                          {true, 1024, true, 1000},    {true, 0xFFFFFFFF, true, 1000},
                          {false, 512, true, 1000},    {false, 512, false, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(PenPressure(c.pen, c.raw, c.contact), c.expected) << c.pen << " " << c.raw << " " << c.contact;
    }
}

TEST(TouchCoordinates, HundredthsTruncateTowardZero) {
    EXPECT_EQ(TouchCoordinateToPixels(12345), 123);
    EXPECT_EQ(TouchCoordinateToPixels(-150), -1);
    EXPECT_EQ(TouchCoordinateToPixels(kMin), kMin / 100);
}

TEST(SessionTable, KindsValuesFlagsAndResults) {
    using enum SessionMessage;
    struct Case {
        SessionMessage message;
        uint64_t wParam;
        int64_t lParam;
        bool focused;
        int32_t kind;
        int64_t value;
        bool flag;
        intptr_t result;
    };
    const Case cases[] = {
        {kActivateApp, 1, 0, false, 1, 1, true, 0},          {kActivateApp, 0, 0, true, 1, 0, false, 0},
        {kPowerBroadcast, 7, 0, false, 2, 7, true, 1},       {kPowerBroadcast, 18, 0, false, 2, 18, true, 1},
        {kPowerBroadcast, 4, 0, true, 2, 4, false, 1},       {kPowerBroadcast, 10, 0, true, 2, 10, true, 1},
        {kPowerBroadcast, 10, 0, false, 2, 10, false, 1},    {kSessionChange, 6, 0, true, 3, 6, false, 0},
        {kSessionChange, 7, 0, true, 3, 7, false, 0},        {kSessionChange, 5, 0, false, 3, 5, true, 0},
        {kSessionChange, 8, 0, false, 3, 8, true, 0},        {kSessionChange, 1, 0, true, 3, 1, true, 0},
        {kSessionChange, 1, 0, false, 3, 1, false, 0},       {kEndSession, 0, 0, false, 5, 0, true, 0},
        {kEndSession, 1, 0, false, 5, 1, false, 0},
        {kQueryEndSession, 9, 0x80000000, true, 4, 0x80000000, false, 1},  // the value is lParam here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "message " << static_cast<int>(c.message) << " wParam " << c.wParam
                                          << " focused " << c.focused);
        const SessionRecord r = ClassifySessionMessage(c.message, c.wParam, c.lParam, c.focused);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.value, c.value);
        EXPECT_EQ(r.flag, c.flag);
        EXPECT_EQ(r.result, c.result);
    }
}

}  // namespace
}  // namespace rava
