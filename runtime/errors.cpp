// The runtime's error type and the host's one way of raising it.
#include "runtime/runtime.h"

namespace rava {

rill_runtime_exception::rill_runtime_exception(RuntimeErrorRecord record) : record_(std::move(record)) {
    if (record_.module.empty()) record_.module = "rill_window_input_canvas";
    what_ = record_.code + ": " + record_.message;
}

void CheckCanvasCondition(bool condition, std::string_view message) {
    if (condition) return;
    throw rill_runtime_exception(
        RuntimeErrorRecord{"window.canvas", std::string(message), 0, "rill_window_input_canvas", ""});
}

}  // namespace rava
