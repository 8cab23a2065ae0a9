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

TEST(PointerMark, OnlyTheTouchPenSignatureMatches) {
    EXPECT_TRUE(IsSynthesizedPointerMouse(0xFF515700u));
    EXPECT_TRUE(IsSynthesizedPointerMouse(0xFF5157FFu));
    EXPECT_TRUE(IsSynthesizedPointerMouse(0xFF515780u));
    EXPECT_FALSE(IsSynthesizedPointerMouse(0));
    EXPECT_FALSE(IsSynthesizedPointerMouse(0xFF515600u));
    EXPECT_FALSE(IsSynthesizedPointerMouse(0x7F515700u));
    // Only the low 32 bits carry the mark; whatever sits above them is ignored.
    EXPECT_TRUE(IsSynthesizedPointerMouse(static_cast<uintptr_t>(0x1FF515700ull)));
    EXPECT_FALSE(IsSynthesizedPointerMouse(static_cast<uintptr_t>(0xFF51570000ull)));
}

TEST(KeyEvents, RepeatFlagFromPreviousStateOrRepeatCount) {
    EXPECT_FALSE(IsKeyRepeat(0x00000001));  // first press, repeat count 1
    EXPECT_FALSE(IsKeyRepeat(0x001E0001));  // scan code bits only
    EXPECT_FALSE(IsKeyRepeat(0x80000001));  // transition bit
    EXPECT_TRUE(IsKeyRepeat(0x40000001));   // previous state down
    EXPECT_TRUE(IsKeyRepeat(0x00000002));   // repeat count 2
    EXPECT_TRUE(IsKeyRepeat(0x0000FFFE));
    EXPECT_FALSE(IsKeyRepeat(0));
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
    EXPECT_EQ(PenPressure(true, 0, true), 0);
    EXPECT_EQ(PenPressure(true, 512, false), 500);
    EXPECT_EQ(PenPressure(true, 1023, true), 999);
    EXPECT_EQ(PenPressure(true, 1024, true), 1000);
    EXPECT_EQ(PenPressure(true, 0xFFFFFFFF, true), 1000);
    EXPECT_EQ(PenPressure(false, 512, true), 1000);
    EXPECT_EQ(PenPressure(false, 512, false), 0);
}

TEST(TouchCoordinates, HundredthsTruncateTowardZero) {
    EXPECT_EQ(TouchCoordinateToPixels(12345), 123);
    EXPECT_EQ(TouchCoordinateToPixels(-150), -1);
    EXPECT_EQ(TouchCoordinateToPixels(kMin), kMin / 100);
}

TEST(SessionTable, KindsValuesFlagsAndResults) {
    SessionRecord r = ClassifySessionMessage(SessionMessage::kActivateApp, 1, 0, false);
    EXPECT_EQ(r.kind, 1);
    EXPECT_EQ(r.value, 1);
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.result, 0);
    EXPECT_FALSE(ClassifySessionMessage(SessionMessage::kActivateApp, 0, 0, true).flag);

    r = ClassifySessionMessage(SessionMessage::kPowerBroadcast, 7, 0, false);
    EXPECT_EQ(r.kind, 2);
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(ClassifySessionMessage(SessionMessage::kPowerBroadcast, 18, 0, false).flag);
    EXPECT_FALSE(ClassifySessionMessage(SessionMessage::kPowerBroadcast, 4, 0, true).flag);
    EXPECT_TRUE(ClassifySessionMessage(SessionMessage::kPowerBroadcast, 10, 0, true).flag);
    EXPECT_FALSE(ClassifySessionMessage(SessionMessage::kPowerBroadcast, 10, 0, false).flag);

    r = ClassifySessionMessage(SessionMessage::kSessionChange, 6, 0, true);
    EXPECT_EQ(r.kind, 3);
    EXPECT_FALSE(r.flag);
    EXPECT_FALSE(ClassifySessionMessage(SessionMessage::kSessionChange, 7, 0, true).flag);
    EXPECT_TRUE(ClassifySessionMessage(SessionMessage::kSessionChange, 5, 0, false).flag);
    EXPECT_TRUE(ClassifySessionMessage(SessionMessage::kSessionChange, 8, 0, false).flag);
    EXPECT_TRUE(ClassifySessionMessage(SessionMessage::kSessionChange, 1, 0, true).flag);
    EXPECT_FALSE(ClassifySessionMessage(SessionMessage::kSessionChange, 1, 0, false).flag);

    r = ClassifySessionMessage(SessionMessage::kQueryEndSession, 9, 0x80000000, true);
    EXPECT_EQ(r.kind, 4);
    EXPECT_EQ(r.value, 0x80000000);
    EXPECT_FALSE(r.flag);
    EXPECT_EQ(r.result, 1);

    r = ClassifySessionMessage(SessionMessage::kEndSession, 0, 0, false);
    EXPECT_EQ(r.kind, 5);
    EXPECT_TRUE(r.flag);
    EXPECT_FALSE(ClassifySessionMessage(SessionMessage::kEndSession, 1, 0, false).flag);
}

}  // namespace
}  // namespace rava
