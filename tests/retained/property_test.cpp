// Random operation sequences on a store, checked after every call by the
// operation driver: refusals change nothing, acceptances step the revision.
#include <gtest/gtest.h>

#include <random>

#include "tests/property_sequences.h"
#include "tests/retained/store_operation_driver.h"

namespace rava {
namespace {

using namespace rava::testing;

class SeededChoices : public ChoiceSource {
public:
    explicit SeededChoices(uint32_t seed) : engine_(seed) {}
    uint32_t Next(uint32_t bound) override {
        return bound == 0 ? 0 : std::uniform_int_distribution<uint32_t>(0, bound - 1)(engine_);
    }

private:
    std::mt19937 engine_;
};

TEST(StoreProperties, RandomSequencesKeepTheStoreConsistent) {
    const uint32_t kSequences = static_cast<uint32_t>(PropertySequences(2000));
    constexpr int kStepsPerSequence = 24;
    int failures = 0;
    int64_t admissions = 0;
    for (uint32_t seed = 1; seed <= kSequences && failures < 5; ++seed) {
        SeededChoices choices(seed);
        StoreOperationDriver driver(choices, [&](const std::string& what) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << ": " << what;
        });
        for (int step = 0; step < kStepsPerSequence; ++step) driver.Step();
        admissions += driver.Store().AdmissionCount();
    }
    // The generator must reach the accepting paths, not only refusals.
    EXPECT_GT(admissions, static_cast<int64_t>(kSequences));
}

}  // namespace
}  // namespace rava
