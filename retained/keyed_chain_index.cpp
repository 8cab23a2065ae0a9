// ChainedKeyIndex: chain walks with step counting over parallel node columns.
#include "retained/keyed_chain_index.h"

#include "retained/checked_counters.h"
#include "retained/render_records.h"

namespace rava {
namespace {

uint64_t KeyDigest(std::string_view key) {
    uint64_t h = 1469598103934665603ull;
    for (char c : key) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

ChainedKeyIndex::ChainedKeyIndex(int32_t bucketCount)
    : bucketCount_(bucketCount < 1 ? 1 : bucketCount), bucketHeads_(static_cast<size_t>(bucketCount_), -1) {}

int32_t ChainedKeyIndex::Find(std::string_view key, int32_t* probes) const {
    if (bucketHeads_.empty()) return -1;
    uint64_t digest = KeyDigest(key);
    int64_t steps = 0;
    int32_t result = -1;
    for (int32_t n = bucketHeads_[IdentityHash(key, bucketCount_)]; n >= 0; n = nodeLinks_[n].next) {
        ++steps;
        if (nodeLinks_[n].digest == digest && nodeKeys_[n] == key) {
            result = nodeLinks_[n].value;
            break;
        }
    }
    if (probes) AddCounter(*probes, steps);
    return result;
}

bool ChainedKeyIndex::Put(std::string_view key, int32_t value, int32_t* probes) {
    if (bucketHeads_.empty()) return false;
    uint64_t digest = KeyDigest(key);
    int32_t bucket = IdentityHash(key, bucketCount_);
    int64_t steps = 0;
    for (int32_t n = bucketHeads_[bucket]; n >= 0; n = nodeLinks_[n].next) {
        ++steps;
        if (nodeLinks_[n].digest == digest && nodeKeys_[n] == key) {
            nodeLinks_[n].value = value;
            if (probes) AddCounter(*probes, steps);
            return true;
        }
    }
    if (probes) AddCounter(*probes, steps);
    nodeKeys_.emplace_back(key);
    nodeLinks_.push_back({digest, bucketHeads_[bucket], value});
    bucketHeads_[bucket] = static_cast<int32_t>(nodeKeys_.size() - 1);
    return true;
}

void ChainedKeyIndex::Release() {
    bucketHeads_ = {};
    nodeKeys_ = {};
    nodeLinks_ = {};
}

}  // namespace rava
