// Lookups that every canvas backend makes in its window registry the same
// way. A registry has `windows` (id -> owned window, each with `open`),
// `activeId` and `currentId`.
#pragma once

#include <cstdint>

namespace rava {

template <typename Registry>
auto* FindRegisteredWindow(Registry& registry, int32_t id) {
    auto it = registry.windows.find(id);
    return it == registry.windows.end() ? nullptr : it->second.get();
}

// The window whose native handle (the member `handle` points at) is this one;
// the null handle belongs to none.
template <typename Registry, typename Handle, typename HandleMember>
auto* FindRegisteredWindowByHandle(Registry& registry, Handle handle, HandleMember handleMember) {
    decltype(FindRegisteredWindow(registry, 0)) found = nullptr;
    if (!handle) return found;
    for (auto& [id, window] : registry.windows) {
        if (window && (*window).*handleMember == handle) return window.get();
    }
    return found;
}

// The active window while it is open; otherwise the current one, which then
// becomes the active one, if it is open; otherwise none.
template <typename Registry>
auto* ResolveRegisteredWindow(Registry& registry) {
    if (auto* active = FindRegisteredWindow(registry, registry.activeId); active && active->open) return active;
    auto* current = FindRegisteredWindow(registry, registry.currentId);
    if (current == nullptr || !current->open) return decltype(current){nullptr};
    registry.activeId = registry.currentId;
    return current;
}

}  // namespace rava
