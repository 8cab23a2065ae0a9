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
    // Inserts or overwrites; visited nodes are counted as in Find. False only
    // for a released index, which is not written.
    bool Put(std::string_view key, int32_t value, int32_t* probes);
    // Drops every node and bucket; the index then finds nothing and ignores
    // further puts (a closed store stays empty).
    void Release();

    int32_t BucketCount() const { return bucketCount_; }
    int32_t NodeCount() const { return static_cast<int32_t>(nodeKeys_.size()); }
    bool Released() const { return bucketHeads_.empty(); }

private:
    int32_t bucketCount_;
    // The columns a chain walk touches sit together, one cache line a node;
    // the full-width digest skips most byte-wise key comparisons without
    // changing which node matches or what is counted.
    struct NodeLink {
        uint64_t digest;
        int32_t next;
        int32_t value;
    };
    std::vector<int32_t> bucketHeads_;
    std::vector<std::string> nodeKeys_;
    std::vector<NodeLink> nodeLinks_;
};

}  // namespace rava
