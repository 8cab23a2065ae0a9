// Runtime support: positional message formatting, value rendering, the
// environment reader, the runtime's two error types, the checked float32
// helpers and the cancellation point of the frame wait.
#pragma once

// The headers use C++20 (concepts, std::span): say so before anything else fails.
#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 202002L
#error "the rava libraries need C++20: compile with -std=c++20 (or newer)"
#endif

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
std::string FormatPositionalViews(std::string_view templ, const std::string_view* args, size_t count);

// One already-rendered argument: integers in signed decimal, booleans as
// "true"/"false", text unchanged. Floats are deliberately not accepted. Text
// is viewed, not copied: an argument lives only as long as the Format call's
// full expression, as do the texts it views.
class PositionalArg {
public:
    // Unsigned values keep their own decimal: 2^64 - 1 must not read as -1.
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) PositionalArg(T value) {
        char* end = digits_ + sizeof digits_;
        char* at = end;
        const bool negative = std::is_signed_v<T> && value < 0;
        // Digits from the unsigned magnitude, so the most negative value needs no negation.
        uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        do {
            *--at = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (negative) *--at = '-';
        digitsStart_ = static_cast<uint8_t>(at - digits_);
    }
    PositionalArg(bool value) : text_(value ? "true" : "false") {}
    PositionalArg(const char* value) : text_(value) {}
    PositionalArg(std::string_view value) : text_(value) {}
    PositionalArg(const std::string& value) : text_(value) {}
    PositionalArg(double) = delete;
    PositionalArg(float) = delete;
    std::string_view Text() const {
        if (digitsStart_ == kText) return text_;
        return std::string_view(digits_ + digitsStart_, sizeof digits_ - digitsStart_);
    }

private:
    static constexpr uint8_t kText = 0xFF;
    std::string_view text_;
    char digits_[20];  // 2^64 - 1 has twenty digits; a signed value at most nineteen and a sign
    uint8_t digitsStart_ = kText;
};

inline std::string Format(std::string_view templ, std::initializer_list<PositionalArg> args) {
    // Templates in this system name at most 24 arguments; more still work, through the heap.
    constexpr size_t kInline = 24;
    std::string_view inlineViews[kInline];
    std::vector<std::string_view> heapViews;
    std::string_view* views = inlineViews;
    if (args.size() > kInline) {
        heapViews.resize(args.size());
        views = heapViews.data();
    }
    size_t n = 0;
    for (const PositionalArg& a : args) views[n++] = a.Text();
    return FormatPositionalViews(templ, views, n);
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
