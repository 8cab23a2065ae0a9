// Session-lifecycle notifications (recorded in the registry's session block)
// and files dropped from the shell (recorded on the window: count, and the
// UTF-8 path with its flag when exactly one file was dropped).
// NOTE: the system headers need <windows.h> first; keep this order.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>
// clang-format on

#include <vector>

#include "host/core/input_rules.h"
#include "host/core/saturating_counter.h"
#include "host/core/utf.h"
#include "host/host.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

constexpr UINT kMaxDroppedPathUnits = 32767;
// A drop block starts with a 20-byte DROPFILES header.
constexpr SIZE_T kDropFilesHeaderBytes = 20;

SessionMessage SessionKind(UINT message) {
    switch (message) {
        case WM_ACTIVATEAPP:
            return SessionMessage::kActivateApp;
        case WM_POWERBROADCAST:
            return SessionMessage::kPowerBroadcast;
        case WM_WTSSESSION_CHANGE:
            return SessionMessage::kSessionChange;
        case WM_QUERYENDSESSION:
            return SessionMessage::kQueryEndSession;
        default:
            return SessionMessage::kEndSession;
    }
}

// NOTE: a drop handle arrives in wParam from whoever sent the message; only
// a live global memory block is queried and finished, so a forged value
// cannot make us free memory we were never given.
bool LooksLikeDropHandle(HDROP drop) {
    HGLOBAL block = reinterpret_cast<HGLOBAL>(drop);
    return block != nullptr && GlobalFlags(block) != GMEM_INVALID_HANDLE && GlobalSize(block) >= kDropFilesHeaderBytes;
}

}  // namespace

LRESULT OnSessionMessage(CanvasWindow* w, UINT message, WPARAM wParam, LPARAM lParam) {
    const SessionRecord r =
        ClassifySessionMessage(SessionKind(message), wParam, static_cast<int64_t>(lParam), w != nullptr && w->focused);
    CanvasSessionEvent& s = CanvasRegistry().session;
    BumpCounter(s.eventCount);
    s.kind = r.kind;
    s.value = static_cast<uint64_t>(r.value);
    s.windowId = w != nullptr ? w->id : 0;
    s.flag = r.flag;
    return r.result;
}

LRESULT OnDropFiles(CanvasWindow& w, WPARAM wParam) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    const bool valid = LooksLikeDropHandle(drop);
    const UINT count = valid ? DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) : 0;
    w.drop.flag = false;
    w.drop.count = count;
    w.drop.path.clear();
    w.key.code = 0;
    w.key.secondCode = count;
    if (count == 1) {
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        if (length >= 1 && length <= kMaxDroppedPathUnits) {
            std::vector<wchar_t> name(length + 1, L'\0');
            if (DragQueryFileW(drop, 0, name.data(), length + 1) == length) {
                std::string path =
                    Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), length));
                if (!path.empty()) {
                    w.drop.path = std::move(path);
                    w.drop.flag = true;
                    w.key.code = 1;
                }
            }
        }
    }
    if (valid) DragFinish(drop);
    StampCanvasWindow(w, kEventFilesDropped);
    return 0;
}

CanvasSessionRecord ReadSessionEvent() {
    const CanvasSessionEvent& s = CanvasRegistry().session;
    return CanvasSessionRecord{s.eventCount, s.kind, s.value, s.windowId, s.flag};
}

}  // namespace rava
