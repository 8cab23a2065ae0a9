// Fragment validation: identity, bounded geometry, containment, dependency
// signature, command count, command ownership and local stack balance.
// Reads only the fragment; the first failing rule decides the message.
#include <cstdint>

#include "retained/validation.h"
#include "runtime/runtime.h"

namespace rava {
namespace {

constexpr int32_t kCoordinateLimit = 1000000;
constexpr int32_t kExtentLimit = 1000000;
constexpr size_t kMaxFragmentIdBytes = 128;
constexpr size_t kMaxFragmentCommands = 4096;

bool OwnedBy(std::string_view owner, std::string_view id, std::string_view prefix) {
    if (owner == id) return true;
    return owner.size() >= prefix.size() && owner.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string CheckRetainedGeometry(std::string_view label, const RenderBounds& b) {
    bool inside = b.x >= -kCoordinateLimit && b.x <= kCoordinateLimit && b.y >= -kCoordinateLimit &&
                  b.y <= kCoordinateLimit && b.width >= 0 && b.width <= kExtentLimit && b.height >= 0 &&
                  b.height <= kExtentLimit;
    if (inside) return "";
    return Format("{0} exceeds bounded retained geometry", {label});
}

std::string ValidateFragment(const RenderFragment& f) {
    if (f.id.empty() || f.id.size() > kMaxFragmentIdBytes || f.source.empty() || f.generation <= 0) {
        return "retained owner fragment requires bounded identity, positive generation, and source";
    }
    std::string message = CheckRetainedGeometry(Format("fragment {0} layout bounds", {f.id}), f.layoutBounds);
    if (!message.empty()) return message;
    message = CheckRetainedGeometry(Format("fragment {0} ink bounds", {f.id}), f.inkBounds);
    if (!message.empty()) return message;

    const RenderBounds& layout = f.layoutBounds;
    const RenderBounds& ink = f.inkBounds;
    if (layout.width < 1 || layout.height < 1 || ink.width < 1 || ink.height < 1) {
        return Format("fragment {0} requires positive layout and ink bounds", {f.id});
    }
    // The geometry rules above keep these sums within +-2000000.
    bool contains = ink.x <= layout.x && ink.y <= layout.y && ink.x + ink.width >= layout.x + layout.width &&
                    ink.y + ink.height >= layout.y + layout.height;
    if (!contains) return Format("fragment {0} ink bounds must contain its layout bounds", {f.id});

    if (f.dependencyKey1.empty() || f.dependencyKey2.empty() || f.dependencyKey3.empty() ||
        f.dependencyKey4.empty() || f.dependencyKey5.empty() || f.dependencySource.empty()) {
        return Format("fragment {0}: {1}",
                      {f.id, "retained fragment dependency signature requires five nonempty keys and a source"});
    }
    if (f.commands.empty() || f.commands.size() > kMaxFragmentCommands) {
        return Format("fragment {0} requires 1..4096 commands", {f.id});
    }

    std::string prefix = Format("{0}.", {f.id});
    int32_t transformDepth = 0;
    int32_t clipDepth = 0;
    for (const RenderCommand& command : f.commands) {
        if (!OwnedBy(command.owner, f.id, prefix)) {
            return Format("fragment {0} contains foreign command owner {1}", {f.id, command.owner});
        }
        if (command.kind == "transformPush") ++transformDepth;
        else if (command.kind == "transformPop") --transformDepth;
        else if (command.kind == "clipPush") ++clipDepth;
        else if (command.kind == "clipPop") --clipDepth;
        // Depths stop at -1 (rejected) and at most 4096 pushes: no overflow.
        if (transformDepth == -1 || clipDepth == -1) {
            return Format("fragment {0} contains an underflowing local stack", {f.id});
        }
    }
    if (transformDepth != 0 || clipDepth != 0) {
        return Format("fragment {0} must balance transform and clip state locally", {f.id});
    }
    return "";
}

}  // namespace rava
