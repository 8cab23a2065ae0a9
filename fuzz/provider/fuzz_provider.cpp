// libFuzzer entry for the provider: the input bytes choose a config, then a sequence of operations
// and their arguments. Each call gets the driver's cheap checks (a digest of the records, counters,
// the new event lines); the diagnostics line is checked once per input. A broken invariant aborts
// with its description. The property test runs the full checks after every call.
#include <cstdio>
#include <cstdlib>

#include "tests/provider/operation_driver.h"

namespace {

// Hands out the fuzz input as bounded choices; once exhausted every choice is 0.
class ByteChoices {
public:
    ByteChoices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t operator()(uint32_t bound) {
        uint32_t value = 0;
        const int bytes = bound <= 256 ? 1 : 4;
        for (int i = 0; i < bytes; ++i) value = (value << 8) | Next();
        return value % bound;
    }
    bool Exhausted() const { return at_ >= size_; }

private:
    uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

void Fail(const std::string& what) {
    std::fprintf(stderr, "provider invariant broken: %s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using rava::testing::OperationDriver;
    ByteChoices choices(data, size);
    OperationDriver driver([&choices](uint32_t bound) { return choices(bound); }, OperationDriver::Depth::kCheap);
    auto provider = driver.MakeProvider();
    std::string broken;
    if (choices(2) == 0) broken = driver.StepInitialize(*provider);
    // 64 operations reach every edge 256 did, and long inputs no longer slow every run fourfold.
    for (int step = 0; step < 64 && broken.empty() && !choices.Exhausted(); ++step) {
        broken = driver.Step(*provider);
    }
    if (broken.empty()) broken = driver.CheckCounters(*provider);
    if (!broken.empty()) Fail(broken);
    return 0;
}
