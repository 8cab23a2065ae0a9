// Runtime support: positional message formatting, value rendering, the
// environment reader, the runtime's two error types, the checked float32
// helpers and the cancellation point of the frame wait.
#pragma once

#include <concepts>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace rava {

// Fills "{N}" placeholders from args; anything that is not a well-formed
// placeholder stays literal. Argument texts are never rescanned.
std::string FormatPositional(std::string_view templ, const std::vector<std::string>& args);

// One already-rendered argument: integers in signed decimal, booleans as
// "true"/"false", text unchanged. Floats are deliberately not accepted.
class PositionalArg {
public:
    // Unsigned values keep their own decimal: 2^64 - 1 must not read as -1.
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    PositionalArg(T value)
        : text_(std::is_signed_v<T> ? std::to_string(static_cast<int64_t>(value))
                                    : std::to_string(static_cast<uint64_t>(value))) {}
    PositionalArg(bool value) : text_(value ? "true" : "false") {}
    PositionalArg(const char* value) : text_(value) {}
    PositionalArg(std::string_view value) : text_(value) {}
    PositionalArg(const std::string& value) : text_(value) {}
    PositionalArg(double) = delete;
    PositionalArg(float) = delete;
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

inline std::string Format(std::string_view templ, std::initializer_list<PositionalArg> args) {
    std::vector<std::string> texts;
    texts.reserve(args.size());
    for (const auto& a : args) texts.push_back(a.Text());
    return FormatPositional(templ, texts);
}

// The value of an environment variable as UTF-8, or "" on any failure.
std::string ReadEnvironmentText(std::string_view name);

struct RuntimeErrorRecord {
    std::string code;
    std::string message;
    int64_t position = 0;
    std::string module;
    std::string detail;
};

class rill_runtime_exception : public std::exception {
public:
    explicit rill_runtime_exception(RuntimeErrorRecord record);
    const char* what() const noexcept override { return what_.c_str(); }
    const RuntimeErrorRecord& Record() const { return record_; }

private:
    RuntimeErrorRecord record_;
    std::string what_;
};

// Deliberately not a std::exception: only task runners catch it.
struct rill_task_cancelled {};

// Raises "window.canvas: <message>" when the condition does not hold.
void CheckCanvasCondition(bool condition, std::string_view message);

// The task a thread runs, as seen by the cancellation point.
struct RuntimeTask {
    bool cancelRequested = false;
    bool cancelled = false;
};
// Installs (or with nullptr removes) the calling thread's current task.
void SetCurrentTask(RuntimeTask* task);
RuntimeTask* CurrentTask();
// Raises rill_task_cancelled when the current task has a pending request.
void CancellationPoint();
// Sleeps in slices of at most 5 ms, passing the cancellation point before each.
void CancellableSleepMilliseconds(int milliseconds);

// Checked float32 clamp: 0 for NaN or |arg| > 1e6 or lo > hi. Inline: the
// solver calls it for every sample.
inline float Clamp(float v, float lo, float hi) {
    auto unchecked = [](float x) { return !(x >= -1000000.0f && x <= 1000000.0f); };
    if (unchecked(v) || unchecked(lo) || unchecked(hi) || lo > hi) return 0.0f;
    if (v < lo) return lo;
    return v < hi ? v : hi;
}
// Bounded float32 trigonometry: 0 for NaN or |x| > 4096.
float WrapAngle(float x);
float Sin(float x);
float Cos(float x);

// Table-driven finite-state machine that refuses ambiguous tables.
struct Transition {
    std::string from;
    std::string event;
    std::string to;
};

class StateMachine {
public:
    StateMachine(std::string initial, std::vector<Transition> transitions);
    virtual ~StateMachine() = default;
    virtual bool Fire(std::string_view event);

    std::string current;
    std::string previous;
    std::string lastEvent;
    int32_t transitionCount = 0;
    std::string message = "ok";
    std::vector<Transition> transitions;
};

// Single-line text field buffer: set, append, backspace, revert.
class TextLineBuffer {
public:
    virtual ~TextLineBuffer() = default;
    virtual void SetText(std::string_view value);
    virtual void AppendText(std::string_view piece);
    virtual void Backspace();
    virtual void Revert();

    static constexpr size_t kMaxBytes = 4096;
    std::string text;
    std::string saved;
    bool enabled = false;
    bool replaceOnNext = false;
};

}  // namespace rava
