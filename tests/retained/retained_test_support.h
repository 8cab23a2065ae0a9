// Test helpers for the retained store suites: the record builders and
// snapshots, the gtest check that a refusal changed nothing, and the
// table runner for validators.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

// One table row: a change to a valid base record and the validator's answer
// for the changed record ("" when it must still be valid).
template <typename Record>
struct Change {
    std::function<void(Record&)> apply;
    std::string message;
};

template <typename Record, typename Validator>
void ExpectMessages(const Record& base, Validator validate, const std::vector<Change<Record>>& rows) {
    // A row that breaks an already invalid record would prove nothing.
    ASSERT_EQ(validate(base), "");
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Record changed = base;
        rows[i].apply(changed);
        EXPECT_EQ(validate(changed), rows[i].message);
    }
}

}  // namespace rava::testing
