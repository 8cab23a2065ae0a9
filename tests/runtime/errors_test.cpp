// Runtime errors, the canvas condition check and the cancellation point.
#include <gtest/gtest.h>

#include <chrono>

#include "runtime/runtime.h"

namespace rava {
namespace {

TEST(RuntimeErrors, CanvasConditionRaisesWithCodeAndModule) {
    EXPECT_NO_THROW(CheckCanvasCondition(true, "unused"));
    try {
        CheckCanvasCondition(false, "failed to create window/canvas window");
        FAIL();
    } catch (const rill_runtime_exception& e) {
        EXPECT_STREQ(e.what(), "window.canvas: failed to create window/canvas window");
        EXPECT_EQ(e.Record().module, "rill_window_input_canvas");
        EXPECT_EQ(e.Record().position, 0);
        EXPECT_EQ(e.Record().detail, "");
    }
}

TEST(RuntimeErrors, EmptyModuleGetsTheCanvasModuleName) {
    rill_runtime_exception e({"c", "m", 0, "", ""});
    EXPECT_EQ(e.Record().module, "rill_window_input_canvas");
    rill_runtime_exception named({"c", "m", 0, "mine", ""});
    EXPECT_EQ(named.Record().module, "mine");
}

TEST(Cancellation, WaitWithoutATaskSleepsTheWholeTime) {
    auto start = std::chrono::steady_clock::now();
    CancellableSleepMilliseconds(16);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(16));
}

TEST(Cancellation, PendingRequestMarksTheTaskCancelledAndRaises) {
    RuntimeTask task;
    SetCurrentTask(&task);
    EXPECT_NO_THROW(CancellableSleepMilliseconds(1));
    task.cancelRequested = true;
    bool raised = false;
    try {
        CancellableSleepMilliseconds(16);
    } catch (const rill_task_cancelled&) {
        raised = true;
    }
    SetCurrentTask(nullptr);
    EXPECT_TRUE(raised);
    EXPECT_TRUE(task.cancelled);
}

}  // namespace
}  // namespace rava
