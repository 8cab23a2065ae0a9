// Delayed clipboard rendering of one pending UTF-16 text block: the window
// announces CF_UNICODETEXT without data and hands the block over only when
// asked. The registry records the owner, the block, a status (2 rendered,
// 3 released on clipboard destruction, 4 released at window destruction) and
// counters. A block is either handed to the system or freed, never both.
#include <cstring>

#include "host/core/saturating_counter.h"
#include "host/core/utf.h"
#include "host/host.h"
#include "host/win32/window_messages.h"

namespace rava {

namespace {

void ForgetPending(CanvasClipboardState& c) {
    c.pending = false;
    c.owner = nullptr;
    c.block = nullptr;
    c.pendingSize = 0;
}

// Hands the pending block to the clipboard; the caller has it open.
bool RenderPending(CanvasClipboardState& c) {
    if (!c.pending || c.block == nullptr) return false;
    if (SetClipboardData(CF_UNICODETEXT, c.block) == nullptr) return false;
    BumpCounter(c.renderCount);
    BumpCounter(c.changeCounter);
    ForgetPending(c);
    c.status = 2;
    return true;
}

bool RenderAllFormats(CanvasClipboardState& c, HWND hwnd) {
    if (!c.pending || c.owner != hwnd || GetClipboardOwner() != hwnd) return false;
    if (!OpenClipboard(hwnd)) return false;
    const bool rendered = RenderPending(c);
    CloseClipboard();
    return rendered;
}

}  // namespace

LRESULT OnRenderFormat(CanvasWindow&, HWND hwnd, WPARAM wParam) {
    CanvasClipboardState& c = CanvasRegistry().clipboard;
    // NOTE: only the recorded owner hands its block over; another window
    // asked to render must not give away data it does not own.
    if (wParam == CF_UNICODETEXT && c.pending && c.owner == hwnd) RenderPending(c);
    return 0;
}

LRESULT OnRenderAllFormats(CanvasWindow&, HWND hwnd) {
    RenderAllFormats(CanvasRegistry().clipboard, hwnd);
    return 0;
}

LRESULT OnDestroyClipboard(CanvasWindow&, HWND hwnd) {
    CanvasClipboardState& c = CanvasRegistry().clipboard;
    if (c.pending && c.owner == hwnd) {
        if (c.block != nullptr) GlobalFree(c.block);
        BumpCounter(c.releaseCountClipboard);
        BumpCounter(c.changeCounter);
        ForgetPending(c);
        c.status = 3;
    }
    return 0;
}

void ReleaseClipboardAtDestroy(CanvasWindow&, HWND hwnd) {
    CanvasClipboardState& c = CanvasRegistry().clipboard;
    if (!c.pending || c.owner != hwnd) return;
    RenderAllFormats(c, hwnd);
    // Not rendered (another owner, or the clipboard was busy): the block is
    // still ours and must not outlive the window.
    if (c.pending && c.block != nullptr) GlobalFree(c.block);
    BumpCounter(c.releaseCountWindow);
    BumpCounter(c.changeCounter);
    ForgetPending(c);
    c.status = 4;
}

bool SetPendingClipboardText(std::string_view utf8) {
    CanvasWindow* w = ResolveCurrentWindow();
    if (w == nullptr || w->hwnd == nullptr) return false;
    std::u16string units;
    if (!Utf8ToUtf16Strict(utf8, units)) return false;
    const size_t bytes = (units.size() + 1) * sizeof(char16_t);
    if (!OpenClipboard(w->hwnd)) return false;
    // Emptying sends WM_DESTROYCLIPBOARD to the previous owner, which frees a
    // block still pending there.
    if (!EmptyClipboard()) {
        CloseClipboard();
        return false;
    }
    CanvasClipboardState& c = CanvasRegistry().clipboard;
    if (c.pending && c.block != nullptr) {
        GlobalFree(c.block);
        BumpCounter(c.releaseCountClipboard);
        ForgetPending(c);
        c.status = 3;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* data = block != nullptr ? GlobalLock(block) : nullptr;
    if (data == nullptr) {
        if (block != nullptr) GlobalFree(block);
        CloseClipboard();
        return false;
    }
    std::memcpy(data, units.c_str(), bytes);
    GlobalUnlock(block);
    c.pending = true;
    c.owner = w->hwnd;
    c.block = block;
    c.pendingSize = bytes;
    BumpCounter(c.changeCounter);
    SetClipboardData(CF_UNICODETEXT, nullptr);
    CloseClipboard();
    return true;
}

CanvasClipboardCounters ReadClipboardCounters() {
    const CanvasClipboardState& c = CanvasRegistry().clipboard;
    return CanvasClipboardCounters{
        c.pending,    c.status, c.changeCounter, c.renderCount, c.releaseCountClipboard, c.releaseCountWindow,
        c.pendingSize};
}

}  // namespace rava
