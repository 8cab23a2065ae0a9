// ChainedKeyIndex: digest-table lookups that count the chain steps a walk
// would take, from per-bucket node counts and each node's place in its bucket.
#include "retained/keyed_chain_index.h"

#include <cstring>

#include "retained/checked_counters.h"
#include "retained/render_records.h"

namespace rava {
namespace {

uint64_t Mix(uint64_t h) {
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ull;
    h ^= h >> 32;
    return h;
}

// Word-at-a-time digest; only equal digests are compared byte for byte.
uint64_t KeyDigest(std::string_view key) {
    uint64_t h = 0x9e3779b97f4a7c15ull ^ key.size();
    size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, key.data() + i, 8);
        h = Mix(h ^ word) * 0x9e3779b97f4a7c15ull;
    }
    uint64_t tail = 0;
    if (i < key.size()) std::memcpy(&tail, key.data() + i, key.size() - i);
    return Mix(Mix(h ^ tail));
}

constexpr size_t kFirstSlots = 16;

}  // namespace

// Nothing is allocated before the first node: many indexes (a single
// delta's staging maps, a store never written) stay empty.
ChainedKeyIndex::ChainedKeyIndex(int32_t bucketCount) : bucketCount_(bucketCount < 1 ? 1 : bucketCount) {}

int32_t ChainedKeyIndex::NodeOf(std::string_view key, uint64_t digest) const {
    if (slots_.empty()) return -1;
    const size_t mask = slots_.size() - 1;
    const uint32_t tag = static_cast<uint32_t>(digest >> 32);
    for (size_t i = static_cast<size_t>(digest) & mask;; i = (i + 1) & mask) {
        const Slot slot = slots_[i];
        if (slot.node < 0) return -1;
        if (slot.tag != tag) continue;
        const Node& node = nodes_[static_cast<size_t>(slot.node)];
        if (node.digest == digest && KeyOf(node) == key) return slot.node;
    }
}

int32_t ChainedKeyIndex::Find(std::string_view key, int32_t* probes) const {
    // Every bucket of an empty index is empty: nothing to hash or count.
    if (released_ || nodes_.empty()) return -1;
    int32_t n = NodeOf(key, KeyDigest(key));
    if (n >= 0) {
        const Node& node = nodes_[n];
        if (probes) AddCounter(*probes, BucketLength(node.bucket) - node.ordinal);
        return node.value;
    }
    if (probes) AddCounter(*probes, BucketLength(IdentityHash(key, bucketCount_)));
    return -1;
}

bool ChainedKeyIndex::Put(std::string_view key, int32_t value, int32_t* probes) {
    if (released_) return false;
    const uint64_t digest = KeyDigest(key);
    int32_t n = NodeOf(key, digest);
    if (n >= 0) {
        Node& node = nodes_[n];
        if (probes) AddCounter(*probes, BucketLength(node.bucket) - node.ordinal);
        node.value = value;
        return true;
    }
    const int32_t bucket = IdentityHash(key, bucketCount_);
    if (probes) AddCounter(*probes, BucketLength(bucket));
    Insert(key, digest, bucket, value);
    return true;
}

int32_t ChainedKeyIndex::FindOrPut(std::string_view key, int32_t value, int32_t* probes) {
    if (released_) return -1;
    const uint64_t digest = KeyDigest(key);
    int32_t n = NodeOf(key, digest);
    if (n >= 0) {
        const Node& node = nodes_[n];
        if (probes) AddCounter(*probes, BucketLength(node.bucket) - node.ordinal);
        return node.value;
    }
    const int32_t bucket = IdentityHash(key, bucketCount_);
    if (probes) AddCounter(*probes, BucketLength(bucket));
    Insert(key, digest, bucket, value);
    return -1;
}

void ChainedKeyIndex::Insert(std::string_view key, uint64_t digest, int32_t bucket, int32_t value) {
    if ((nodes_.size() + 1) * 2 > slots_.size()) Grow();
    const int32_t number = static_cast<int32_t>(nodes_.size());
    nodes_.push_back({digest, keyBytes_.size(), static_cast<uint32_t>(key.size()), value, bucket, TakeOrdinal(bucket)});
    keyBytes_.append(key);
    Place(number, digest);
}

namespace {

// Bucket numbers spread over a power-of-two table.
size_t BucketSlot(int32_t bucket, size_t mask) {
    return static_cast<size_t>(static_cast<uint32_t>(bucket) * 0x9e3779b1u) & mask;
}

}  // namespace

int32_t ChainedKeyIndex::BucketLength(int32_t bucket) const {
    if (!bucketLengths_.empty()) return bucketLengths_[static_cast<size_t>(bucket)];
    if (bucketUses_.empty()) return 0;
    const size_t mask = bucketUses_.size() - 1;
    for (size_t i = BucketSlot(bucket, mask);; i = (i + 1) & mask) {
        if (bucketUses_[i].bucket == bucket) return bucketUses_[i].length;
        if (bucketUses_[i].bucket < 0) return 0;
    }
}

int32_t ChainedKeyIndex::TakeOrdinal(int32_t bucket) {
    // Once the buckets in use could be an eighth of all, one count per
    // bucket costs no more than the table and is quicker to read.
    if (bucketLengths_.empty() && nodes_.size() >= static_cast<size_t>(bucketCount_) / 8) {
        bucketLengths_.assign(static_cast<size_t>(bucketCount_), 0);
        for (const BucketUse& use : bucketUses_) {
            if (use.bucket >= 0) bucketLengths_[static_cast<size_t>(use.bucket)] = use.length;
        }
        bucketUses_ = {};
    }
    if (!bucketLengths_.empty()) return bucketLengths_[static_cast<size_t>(bucket)]++;
    // At most one bucket per node: at most half full, like the key slots.
    if (nodes_.size() * 2 >= bucketUses_.size()) {
        std::vector<BucketUse> old = std::move(bucketUses_);
        bucketUses_.assign(old.empty() ? kFirstSlots : old.size() * 2, BucketUse{-1, 0});
        for (const BucketUse& use : old) {
            if (use.bucket < 0) continue;
            const size_t mask = bucketUses_.size() - 1;
            size_t i = BucketSlot(use.bucket, mask);
            while (bucketUses_[i].bucket >= 0) i = (i + 1) & mask;
            bucketUses_[i] = use;
        }
    }
    const size_t mask = bucketUses_.size() - 1;
    size_t i = BucketSlot(bucket, mask);
    while (bucketUses_[i].bucket >= 0 && bucketUses_[i].bucket != bucket) i = (i + 1) & mask;
    if (bucketUses_[i].bucket < 0) bucketUses_[i] = {bucket, 0};
    return bucketUses_[i].length++;
}

void ChainedKeyIndex::Place(int32_t node, uint64_t digest) {
    const size_t mask = slots_.size() - 1;
    size_t i = static_cast<size_t>(digest) & mask;
    while (slots_[i].node >= 0) i = (i + 1) & mask;
    slots_[i] = {node, static_cast<uint32_t>(digest >> 32)};
}

void ChainedKeyIndex::Grow() {
    slots_.assign(slots_.empty() ? kFirstSlots : slots_.size() * 2, Slot{-1, 0});
    for (size_t n = 0; n < nodes_.size(); ++n) Place(static_cast<int32_t>(n), nodes_[n].digest);
}

void ChainedKeyIndex::Release() {
    released_ = true;
    bucketUses_ = {};
    bucketLengths_ = {};
    keyBytes_ = {};
    nodes_ = {};
    slots_ = {};
}

}  // namespace rava
