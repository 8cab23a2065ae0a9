// Property test: thousands of random operation sequences (wrong threads, empty ids, negative and
// extreme numbers, huge texts) with every invariant of the driver checked after each call.
#include <gtest/gtest.h>

#include <random>

#include "tests/property_sequences.h"
#include "tests/provider/operation_driver.h"

namespace rava::testing {
namespace {

TEST(ProviderProperty, RandomSequencesKeepInvariants) {
    std::mt19937 rng(20240611u);
    OperationDriver driver([&rng](uint32_t bound) { return static_cast<uint32_t>(rng() % bound); });
    const int kSequences = PropertySequences(2000);
    size_t readyCalls = 0;
    size_t calls = 0;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        auto provider = driver.MakeProvider();
        std::string broken = driver.CheckCounters(*provider);
        if (broken.empty() && rng() % 5 != 0) broken = driver.StepInitialize(*provider);
        const int steps = 1 + static_cast<int>(rng() % 30);
        for (int step = 0; step < steps && broken.empty(); ++step) {
            ++calls;
            if (provider->state == "ready") ++readyCalls;
            broken = driver.Step(*provider);
        }
        ASSERT_EQ(broken, "") << "sequence " << sequence;
    }
    // Guards against a generator that never reaches the services.
    EXPECT_GT(readyCalls, calls / 3);
}

TEST(ProviderProperty, DriverCatchesABrokenProvider) {
    // A provider that logs on refusal must be reported, or the property above proves nothing.
    struct Leaky : NativeUiHostProvider {
        using NativeUiHostProvider::NativeUiHostProvider;
        bool Reject(std::string_view operation, std::string_view reason) override {
            LogHostEvent("leak", operation, "rejected", reason, 0, 0, 0);
            return NativeUiHostProvider::Reject(operation, reason);
        }
    };
    uint32_t counter = 0;
    OperationDriver driver([&counter](uint32_t bound) { return (counter++ * 2654435761u) % bound; });
    Leaky p(ProviderConfig{}, kOwner);  // empty name: everything is refused
    std::string broken;
    for (int i = 0; i < 200 && broken.empty(); ++i) broken = driver.Step(p);
    EXPECT_NE(broken, "");
}

}  // namespace
}  // namespace rava::testing
