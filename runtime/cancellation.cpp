// The runtime's only cancellation point and the sliced frame wait around it.
// No task runner exists here; a thread runs a task only if one is installed.
#include <chrono>
#include <thread>

#include "runtime/runtime.h"

namespace rava {
namespace {
thread_local RuntimeTask* currentTask = nullptr;
}

void SetCurrentTask(RuntimeTask* task) { currentTask = task; }
RuntimeTask* CurrentTask() { return currentTask; }

void CancellationPoint() {
    RuntimeTask* task = currentTask;
    if (task == nullptr) return;
    // The builtins std::atomic_ref wraps: the web tree's library lacks it.
    if (!__atomic_load_n(&task->cancelRequested, __ATOMIC_SEQ_CST)) return;
    __atomic_store_n(&task->cancelled, true, __ATOMIC_SEQ_CST);
    throw rill_task_cancelled{};
}

void CancellableSleepMilliseconds(int milliseconds) {
    int left = milliseconds;
    while (left > 0) {
        CancellationPoint();
        int slice = left < 5 ? left : 5;
        // sleep_for resumes after interruptions with the time that remained.
        std::this_thread::sleep_for(std::chrono::milliseconds(slice));
        left -= slice;
    }
}

}  // namespace rava
