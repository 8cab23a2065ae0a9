// libFuzzer target: decodes fuzz bytes into operation sequences on a store
// (binds, updates, preflights, prepared commits, batches, closes) checked
// cheaply: digests around every call, the command rows now and then and at
// the end (the property test does the deep checks). A broken check aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/retained/store_operation_driver.h"

namespace {

class FuzzChoices : public rava::testing::ChoiceSource {
public:
    FuzzChoices(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t Next(uint32_t bound) override {
        if (bound <= 1) return 0;
        uint32_t value = Byte();
        if (bound > 256) value = (value << 8) | Byte();
        return value % bound;
    }
    bool Exhausted() const { return offset_ >= size_; }

private:
    uint32_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }

    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

constexpr int kStepsPerInput = 6;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzChoices choices(data, size);
    rava::testing::StoreOperationDriver driver(choices, [](const std::string& what) {
        std::fprintf(stderr, "retained store check failed: %s\n", what.c_str());
        std::abort();
    }, false);
    // Six operations per input reach as many edges as eight did and run
    // about twice as often; longer histories come from the property test.
    for (int step = 0; step < kStepsPerInput && !choices.Exhausted(); ++step) driver.Step();
    driver.CheckCommandRowsNow();
    return 0;
}
