// Diagnostics (the one-line report) and Close (empties the store for good,
// keeping surface, token, bucket count, probes and the cumulative counters).
#include "retained/checked_counters.h"
#include "retained/retained_store.h"
#include "runtime/runtime.h"

namespace rava {

std::string RetainedResourceStore::Diagnostics() const {
    return Format(
        "retained-resource-store-v1: surface={0}; state={1}; revision={2}; entries={3}; owners={4}; commands={5}; "
        "payload={6}; validations={7}; explicit-comparisons={8}; payload-comparisons={9}; admissions={10}; "
        "rejections=operation-results-only",
        {surface_, state_, revision_, EntryCount(), OwnerCount(), commandCount_, payloadBytes_, validations_,
         explicitComparisons_, payloadComparisons_, admissions_});
}

bool RetainedResourceStore::Close() {
    if (state_ == "closed") return true;
    paints_.Clear();
    images_.Clear();
    glyphs_.Clear();
    clips_.Clear();
    transforms_.Clear();
    index_.Release();
    owners_.Clear();
    commands_.Clear();
    commandCount_ = 0;
    payloadBytes_ = 0;
    state_ = "closed";
    AddCounter(revision_, 1);
    return true;
}

}  // namespace rava
