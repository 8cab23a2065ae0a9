// The process-wide registry and its lookups: current-window resolution, the
// guard every canvas operation runs first, the bounded message pump, DPI and
// monitor refresh, and the shutdown of all windows.
#include <algorithm>
#include <vector>

#include "host/core/dpi_scale.h"
#include "host/core/window_registry.h"
#include "host/host.h"
#include "host/win32/canvas_window.h"
#include "runtime/runtime.h"

namespace rava {

CanvasWindowRegistry& CanvasRegistry() {
    // Deliberately leaked: windows may still be torn down by static destructors
    // of other components, so the registry must outlive them all.
    static CanvasWindowRegistry* registry = new CanvasWindowRegistry();
    return *registry;
}

CanvasResourceCounters& CanvasCounters() {
    static CanvasResourceCounters counters;
    return counters;
}

CanvasFrameStatus& CanvasFrames() {
    static CanvasFrameStatus status;
    return status;
}

CanvasWindow* FindCanvasWindowById(int32_t id) { return FindRegisteredWindow(CanvasRegistry(), id); }

CanvasWindow* FindCanvasWindowByHandle(HWND hwnd) {
    return FindRegisteredWindowByHandle(CanvasRegistry(), hwnd, &CanvasWindow::hwnd);
}

CanvasWindow* ResolveCurrentWindow() { return ResolveRegisteredWindow(CanvasRegistry()); }

void StampCanvasWindow(CanvasWindow& window, int32_t kind) {
    StampEvent(CanvasRegistry().eventSequence, window.stamps, kind);
}

void RefreshDpiAndMonitor(CanvasWindow& window) {
    if (window.hwnd == nullptr) return;
    const UINT dpi = GetDpiForWindow(window.hwnd);
    if (dpi != 0) window.dpiScale = DpiScalePercent(dpi);
    HMONITOR monitor = MonitorFromWindow(window.hwnd, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr) {
        window.monitorIndex = 0;
        return;
    }
    auto& monitors = CanvasRegistry().monitors;
    auto it = std::find(monitors.begin(), monitors.end(), monitor);
    if (it == monitors.end()) {
        monitors.push_back(monitor);
        it = monitors.end() - 1;
    }
    window.monitorIndex = static_cast<int32_t>(it - monitors.begin()) + 1;
}

void PumpWindowMessages() {
    MSG msg;
    for (int dispatched = 0; dispatched < 32 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++dispatched) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

CanvasWindow& RequireOpenWindow(std::string_view operation) {
    PumpWindowMessages();
    CanvasWindow* window = ResolveCurrentWindow();
    const bool usable = window != nullptr && window->open && window->hwnd != nullptr && window->dc != nullptr &&
                        window->glrc != nullptr;
    if (!usable) {
        // Nothing more can be drawn into an open frame: it ends here.
        CanvasRegistry().openFrameWindowId = 0;
        CheckCanvasCondition(false,
                             std::string("window/canvas runtime window is not open for ") + std::string(operation));
    }
    // Rebinding the context that is already current changes nothing but costs
    // a driver round trip on every primitive and pointer query.
    if (wglGetCurrentContext() != window->glrc || wglGetCurrentDC() != window->dc) {
        wglMakeCurrent(window->dc, window->glrc);
    }
    return *window;
}

bool CurrentCanvasWindowOpen() {
    CanvasWindow* window = FindCanvasWindowById(CanvasRegistry().currentId);
    return window != nullptr && window->open && window->hwnd != nullptr;
}

namespace {

std::vector<int32_t> SortedIds(bool (*keep)(const CanvasWindow&, int32_t), int32_t arg) {
    std::vector<int32_t> ids;
    for (const auto& [id, window] : CanvasRegistry().windows) {
        if (window && keep(*window, arg)) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// After a window went away, the active id falls back to the current id, then
// to none; the survivor's context (if any) becomes current.
void ReResolveActive(int32_t destroyedId) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (registry.activeId == destroyedId) registry.activeId = registry.currentId;
    CanvasWindow* active = FindCanvasWindowById(registry.activeId);
    if (active == nullptr || !active->open) {
        registry.activeId = registry.currentId;
        active = FindCanvasWindowById(registry.activeId);
        if (active == nullptr || !active->open) {
            registry.activeId = 0;
            active = nullptr;
        }
    }
    if (active != nullptr && active->dc != nullptr && active->glrc != nullptr) {
        wglMakeCurrent(active->dc, active->glrc);
    } else {
        registry.activeId = 0;
        wglMakeCurrent(nullptr, nullptr);
    }
}

}  // namespace

void DestroyAllCanvasWindows() {
    CanvasWindowRegistry& registry = CanvasRegistry();
    const auto all = SortedIds([](const CanvasWindow&, int32_t) { return true; }, 0);
    for (int32_t id : all) {
        const auto owned =
            SortedIds([](const CanvasWindow& w, int32_t owner) { return w.ownerId == owner && w.hwnd != nullptr; }, id);
        for (int32_t child : owned) {
            if (CanvasWindow* w = FindCanvasWindowById(child)) DestroyCanvasWindow(*w);
        }
        if (CanvasWindow* w = FindCanvasWindowById(id)) DestroyCanvasWindow(*w);
        ReResolveActive(id);
        PumpWindowMessages();
    }
    registry.currentId = 0;
    registry.activeId = 0;
}

}  // namespace rava
