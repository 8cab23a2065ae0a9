// ChainedKeyIndex: a chained hash table from identity keys to int32 values
// with a fixed bucket count, buckets placed by IdentityHash. Nodes are only
// appended (a new node heads its bucket's chain); putting a present key
// overwrites it. Used for the store's identity index and for the staging
// set's three maps.
//
// Lookups report the chain steps a walk from the bucket's head would take,
// but find the key through a digest table instead of walking: since nodes
// are never removed, a node is reached after the nodes added to its bucket
// later, plus itself, and a missing key after the whole bucket.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rava {

class ChainedKeyIndex {
public:
    explicit ChainedKeyIndex(int32_t bucketCount);

    // Value of the key or -1. The chain steps of the lookup are added to
    // *probes (saturating) when probes is given.
    int32_t Find(std::string_view key, int32_t* probes) const;
    // Inserts or overwrites; the steps are counted as in Find. False only
    // for a released index, which is not written.
    bool Put(std::string_view key, int32_t value, int32_t* probes);
    // Find with its steps counted, then, only when the key is missing, an
    // uncounted Put of the value; answers what Find answered.
    int32_t FindOrPut(std::string_view key, int32_t value, int32_t* probes);
    // Drops every node and bucket; the index then finds nothing and ignores
    // further puts (a closed store stays empty).
    void Release();

    int32_t BucketCount() const { return bucketCount_; }
    int32_t NodeCount() const { return static_cast<int32_t>(nodes_.size()); }
    bool Released() const { return released_; }

private:
    struct Node {
        uint64_t digest;
        // The key's bytes in keyBytes_.
        uint64_t keyOffset;
        uint32_t keyLength;
        int32_t value;
        int32_t bucket;
        // Nodes of the bucket added before this one.
        int32_t ordinal;
    };
    // A digest-table entry: the node number (-1 free) and the digest's high
    // half, so a probe that meets another key rarely has to read its node.
    struct Slot {
        int32_t node;
        uint32_t tag;
    };
    // Node number of the key, or -1.
    int32_t NodeOf(std::string_view key, uint64_t digest) const;
    std::string_view KeyOf(const Node& node) const {
        return std::string_view(keyBytes_).substr(node.keyOffset, node.keyLength);
    }
    void Grow();
    // Nodes in the bucket so far; TakeOrdinal also counts one more.
    int32_t BucketLength(int32_t bucket) const;
    int32_t TakeOrdinal(int32_t bucket);
    void Insert(std::string_view key, uint64_t digest, int32_t bucket, int32_t value);
    void Place(int32_t node, uint64_t digest);

    int32_t bucketCount_;
    bool released_ = false;
    // Bucket lengths: a small table of the buckets in use while the index
    // is small (most indexes are: a staging map, a short-lived store), then
    // one count per bucket.
    struct BucketUse {
        int32_t bucket;
        int32_t length;
    };
    std::vector<BucketUse> bucketUses_;
    std::vector<int32_t> bucketLengths_;
    // Every key back to back: one allocation for all of them, not one each.
    std::string keyBytes_;
    std::vector<Node> nodes_;
    // Open addressing by digest; at most half full.
    std::vector<Slot> slots_;
};

}  // namespace rava
