// RetainedResourceStore construction, the identity index operations and the
// column reads. Reads work in every state and answer -1 outside their table.
#include "retained/checked_counters.h"
#include "retained/retained_store.h"

namespace rava {

RetainedResourceStore::RetainedResourceStore(std::string_view surface)
    : token_(std::make_shared<StoreToken>()), surface_(surface), state_("open"), index_(kBucketCount) {
    if (surface_.empty() || surface_.size() > kMaxSurfaceBytes) state_ = "invalid";
}

RetainedResourceStore::~RetainedResourceStore() = default;

namespace {

int32_t ColumnAt(const std::vector<int32_t>& column, int32_t position) {
    if (position < 0 || static_cast<size_t>(position) >= column.size()) return -1;
    return column[position];
}

}  // namespace

int32_t RetainedResourceStore::CommandPaintRef(int32_t position) const {
    return ColumnAt(commands_.paintRefs, position);
}
int32_t RetainedResourceStore::CommandImageRef(int32_t position) const {
    return ColumnAt(commands_.imageRefs, position);
}
int32_t RetainedResourceStore::CommandGlyphRef(int32_t position) const {
    return ColumnAt(commands_.glyphRefs, position);
}
int32_t RetainedResourceStore::CommandClipRef(int32_t position) const {
    return ColumnAt(commands_.clipRefs, position);
}
int32_t RetainedResourceStore::CommandTransformRef(int32_t position) const {
    return ColumnAt(commands_.transformRefs, position);
}
int32_t RetainedResourceStore::CommandOwnerAt(int32_t position) const {
    return ColumnAt(commands_.commandOwners, position);
}

int32_t RetainedResourceStore::EntryCount() const {
    // Five tables each capped by the entry limit: the sum fits easily.
    return paints_.Size() + images_.Size() + glyphs_.Size() + clips_.Size() + transforms_.Size();
}

int32_t RetainedResourceStore::FindOwner(std::string_view ownerId) const {
    return index_.Find(KeyText("binding", ownerId, 0), nullptr);
}

int32_t RetainedResourceStore::FindKey(std::string_view key) const { return index_.Find(key, nullptr); }

int32_t RetainedResourceStore::FindOwnerCounted(AdmissionPlan& plan, std::string_view ownerId) const {
    return index_.Find(KeyText("binding", ownerId, 0), &plan.indexProbes);
}

int32_t RetainedResourceStore::FindKeyCounted(AdmissionPlan& plan, std::string_view key) const {
    return index_.Find(key, &plan.indexProbes);
}

bool RetainedResourceStore::IndexPut(std::string_view key, int32_t value) {
    if (IsClosed()) return false;
    return index_.Put(key, value, &indexProbes_);
}

void RetainedResourceStore::StepRevisionIf(bool wrote) {
    if (wrote) AddCounter(revision_, 1);
}

void RetainedResourceStore::PutKey(std::string_view key, int32_t value) { StepRevisionIf(IndexPut(key, value)); }

int32_t RetainedResourceStore::OwnerGeneration(int32_t ownerRow) const {
    return ColumnAt(owners_.ownerGenerations, ownerRow);
}

int32_t RetainedResourceStore::OwnerColumnRef(const std::vector<int32_t>& column, int32_t ownerRow,
                                              int32_t commandIndex) const {
    if (!owners_.Has(ownerRow) || commandIndex < 0 || commandIndex >= owners_.ownerCommandCounts[ownerRow]) return -1;
    return ColumnAt(column, owners_.ownerStarts[ownerRow] + commandIndex);
}

int32_t RetainedResourceStore::OwnerPaintRef(int32_t ownerRow, int32_t commandIndex) const {
    return OwnerColumnRef(commands_.paintRefs, ownerRow, commandIndex);
}
int32_t RetainedResourceStore::OwnerImageRef(int32_t ownerRow, int32_t commandIndex) const {
    return OwnerColumnRef(commands_.imageRefs, ownerRow, commandIndex);
}
int32_t RetainedResourceStore::OwnerGlyphRef(int32_t ownerRow, int32_t commandIndex) const {
    return OwnerColumnRef(commands_.glyphRefs, ownerRow, commandIndex);
}
int32_t RetainedResourceStore::OwnerClipRef(int32_t ownerRow, int32_t commandIndex) const {
    return OwnerColumnRef(commands_.clipRefs, ownerRow, commandIndex);
}
int32_t RetainedResourceStore::OwnerTransformRef(int32_t ownerRow, int32_t commandIndex) const {
    return OwnerColumnRef(commands_.transformRefs, ownerRow, commandIndex);
}

}  // namespace rava
