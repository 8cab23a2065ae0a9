// ChainedKeyIndex: a chained hash table from identity keys to int32 values
// with a fixed bucket count, buckets placed by IdentityHash. Nodes are only
// appended (new nodes head their chain); putting a present key overwrites it.
// Used for the store's identity index and for the staging set's three maps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rava {

class ChainedKeyIndex {
public:
    explicit ChainedKeyIndex(int32_t bucketCount);

    // Value of the key or -1. Every chain node visited adds 1 to *probes
    // (saturating) when probes is given.
    int32_t Find(std::string_view key, int32_t* probes) const;
    // Inserts or overwrites; visited nodes are counted as in Find.
    void Put(std::string_view key, int32_t value, int32_t* probes);
    // Drops every node and bucket; the index then finds nothing and ignores
    // further puts (a closed store stays empty).
    void Release();

    int32_t BucketCount() const { return bucketCount_; }
    int32_t NodeCount() const { return static_cast<int32_t>(nodeKeys_.size()); }
    bool Released() const { return bucketHeads_.empty(); }

private:
    int32_t bucketCount_;
    std::vector<int32_t> bucketHeads_;
    std::vector<std::string> nodeKeys_;
    std::vector<int32_t> nodeValues_;
    std::vector<int32_t> nodeNext_;
    // A full-width digest per node lets a chain walk skip most byte-wise key
    // comparisons; it never changes which node matches or what is counted.
    std::vector<uint64_t> nodeDigests_;
};

}  // namespace rava
