// Delayed clipboard text on the CLIPBOARD selection: the current window
// takes the selection and answers TARGETS, UTF8_STRING and STRING only when
// a requestor asks. The counters mean what they mean on Windows: rendered
// when a requestor first gets the text, released by the clipboard when
// another client takes the selection, released when the owner window goes.
#include <X11/Xatom.h>

#include "host/core/saturating_counter.h"
#include "host/core/utf.h"
#include "host/host.h"
#include "host/x11/canvas_window.h"
#include "host/x11/window_hints.h"
#include "host/x11/x_error_trap.h"

namespace rava {

namespace {

// Ends the offer: the text is no longer ours to give.
void ForgetOffer(CanvasClipboardState& c) {
    c.pending = false;
    c.owner = 0;
    c.text.clear();
    c.pendingSize = 0;
}

void ReleasePending(CanvasClipboardState& c, int32_t status, int64_t& counter) {
    BumpCounter(counter);
    BumpCounter(c.changeCounter);
    c.status = status;
}

// Writes the answer to one target into the requestor's property; false
// when the target is not offered or the text does not fit one request
// (the incremental protocol is not spoken).
bool Answer(Display* display, const XSelectionRequestEvent& request, Atom property) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    CanvasClipboardState& c = registry.clipboard;
    if (request.target == registry.targetsAtom) {
        const Atom targets[] = {registry.targetsAtom, registry.utf8String, XA_STRING};
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets), 3);
        return true;
    }
    std::string bytes;
    if (request.target == registry.utf8String) {
        bytes = c.text;
    } else if (request.target == XA_STRING) {
        bytes = Latin1Title(c.text);
    } else {
        return false;
    }
    long limit = XExtendedMaxRequestSize(display);
    if (limit == 0) limit = XMaxRequestSize(display);
    if (static_cast<long>(bytes.size()) > limit * 4 - 64) return false;
    XChangeProperty(display, request.requestor, property, request.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    if (c.pending) {
        c.pending = false;
        c.pendingSize = 0;
        BumpCounter(c.renderCount);
        BumpCounter(c.changeCounter);
        c.status = 2;
    }
    return true;
}

}  // namespace

void OnSelectionRequest(const XSelectionRequestEvent& request) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    Display* display = registry.display;
    const CanvasClipboardState& c = registry.clipboard;
    // Obsolete clients name no property: the target is the property then.
    const Atom property = request.property != None ? request.property : request.target;
    bool answered = false;
    if (request.selection == registry.clipboardAtom && c.owner != 0 && request.owner == c.owner) {
        // The requestor may be gone already: its errors are no failure of ours.
        XErrorTrap trap(display);
        answered = Answer(display, request, property);
        trap.Finish();
    }
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = answered ? property : None;
    reply.xselection.time = request.time;
    XErrorTrap trap(display);
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    trap.Finish();
}

void OnSelectionClear(CanvasWindow& window, const XSelectionClearEvent& clear) {
    CanvasClipboardState& c = CanvasRegistry().clipboard;
    if (clear.selection != CanvasRegistry().clipboardAtom || c.owner != window.xid) return;
    if (c.pending) ReleasePending(c, 3, c.releaseCountClipboard);
    ForgetOffer(c);
}

void ReleaseClipboardAtDestroy(CanvasWindow& window) {
    CanvasClipboardState& c = CanvasRegistry().clipboard;
    if (c.owner == 0 || c.owner != window.xid) return;
    // No clipboard keeps the text after its owner: asked for or not, the
    // offer ends with the window.
    if (c.pending) ReleasePending(c, 4, c.releaseCountWindow);
    ForgetOffer(c);
}

bool SetPendingClipboardText(std::string_view utf8) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    PumpWindowMessages();
    CanvasWindow* w = ResolveCurrentWindow();
    if (w == nullptr || w->xid == 0 || registry.display == nullptr) return false;
    std::u16string units;
    if (!Utf8ToUtf16Strict(utf8, units)) return false;
    Display* display = registry.display;
    CanvasClipboardState& c = registry.clipboard;
    // Our own earlier offer is replaced: the server tells an owner of the
    // same client nothing, so it is released here as the clipboard would.
    if (c.pending) ReleasePending(c, 3, c.releaseCountClipboard);
    ForgetOffer(c);
    XSetSelectionOwner(display, registry.clipboardAtom, w->xid, CurrentTime);
    if (XGetSelectionOwner(display, registry.clipboardAtom) != w->xid) return false;
    c.pending = true;
    c.owner = w->xid;
    c.text.assign(utf8);
    c.pendingSize = (units.size() + 1) * sizeof(char16_t);
    BumpCounter(c.changeCounter);
    return true;
}

CanvasClipboardCounters ReadClipboardCounters() {
    const CanvasClipboardState& c = CanvasRegistry().clipboard;
    return CanvasClipboardCounters{
        c.pending,    c.status, c.changeCounter, c.renderCount, c.releaseCountClipboard, c.releaseCountWindow,
        c.pendingSize};
}

}  // namespace rava
