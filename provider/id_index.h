// IdIndex: where each id sits in a list that only grows and never repeats an id, found in O(1)
// instead of by a scan. The list stays the record (its order is what the provider reports); the
// index holds only (hash, position) pairs and compares ids against the list itself, so it answers
// exactly what a first-match scan of that list would, and copies along with its owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace rava {

class IdIndex {
public:
    // The position of id in rows (any list of records with an `id` field), or -1.
    template <class Rows>
    int32_t Find(std::string_view id, const Rows& rows) const {
        if (slots_.empty()) return -1;
        const uint32_t hash = Hash(id);
        for (size_t i = hash & Mask();; i = (i + 1) & Mask()) {
            const Slot& slot = slots_[i];
            if (slot.position < 0) return -1;
            if (slot.hash == hash && rows[static_cast<size_t>(slot.position)].id == id) return slot.position;
        }
    }

    // Records an id that Find has just reported missing, at the position it was appended to.
    void Add(std::string_view id, int32_t position) {
        // Linear probing stays short up to three quarters full; a fuller table keeps large indexes
        // small enough to stay in cache.
        if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
        Place(Slot{Hash(id), position});
        ++count_;
    }

private:
    struct Slot {
        uint32_t hash = 0;
        int32_t position = -1;  // -1: empty
    };

    static uint32_t Hash(std::string_view id) {
        const uint64_t h = std::hash<std::string_view>{}(id);
        return static_cast<uint32_t>(h ^ (h >> 32));
    }
    size_t Mask() const { return slots_.size() - 1; }
    void Place(Slot slot) {
        size_t i = slot.hash & Mask();
        while (slots_[i].position >= 0) i = (i + 1) & Mask();
        slots_[i] = slot;
    }
    void Grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        for (const Slot& slot : old) {
            if (slot.position >= 0) Place(slot);
        }
    }

    std::vector<Slot> slots_;  // a power of two in size
    size_t count_ = 0;
};

}  // namespace rava
