// Test helpers for the retained store suites: the record builders and
// snapshots, plus the gtest check that a refusal changed nothing.
#pragma once

#include <gtest/gtest.h>

#include "tests/retained/retained_records_support.h"

namespace rava::testing {

// Runs a store operation that must be refused with `message` and proves
// that it left everything readable unchanged.
template <typename Operation>
void ExpectRefused(const RetainedResourceStore& store, Operation operation, const std::string& message) {
    StoreSnapshot before = Snapshot(store);
    OperationResult r = operation();
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.message, message);
    EXPECT_EQ(r.revision, store.Revision());
    EXPECT_EQ(r.validations, 0);
    EXPECT_EQ(r.explicitComparisons, 0);
    EXPECT_EQ(r.payloadComparisons, 0);
    EXPECT_TRUE(Snapshot(store) == before) << message;
}

}  // namespace rava::testing
