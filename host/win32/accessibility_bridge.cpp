// UI Automation bridge: loading of the automation libraries, the answer to
// WM_GETOBJECT for windows with an enabled slot, the slot's root element and
// the clean-up when a window is destroyed. Missing libraries or entry points
// are never reported: the window then answers like one without support.
#include "host/win32/accessibility_bridge.h"

#include "host/core/saturating_counter.h"
#include "host/core/utf.h"
#include "host/host.h"
#include "host/win32/canvas_window.h"

namespace rava {

namespace {

// Declared locally so no import library or GUID object is needed (the
// system API header does not compile as C++).
constexpr GUID kIidRawElementProviderSimple = {
    0xd6dd68d1, 0x86fd, 0x4332, {0x86, 0x66, 0x9a, 0xbe, 0xde, 0xa2, 0xd2, 0x4c}};
constexpr PROPERTYID kControlTypeProperty = 30003;
constexpr PROPERTYID kNameProperty = 30005;
constexpr PROPERTYID kAutomationIdProperty = 30011;
constexpr LONG kWindowControlType = 50032;
// The object id of a UI Automation root request.
constexpr int32_t kRootObjectId = -25;

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool ValidWindowId(int32_t id) { return id >= 1 && id <= kAccessibilitySlotCount; }

}  // namespace

HRESULT CanvasElementProvider::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, kIidRawElementProviderSimple)) {
        *object = static_cast<IRawElementProviderSimple*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CanvasElementProvider::AddRef() { return static_cast<ULONG>(++references_); }

ULONG CanvasElementProvider::Release() {
    // The object lives in its slot; the count only tells who still holds it.
    LONG seen = references_.load();
    while (seen > 0 && !references_.compare_exchange_weak(seen, seen - 1)) {
    }
    return static_cast<ULONG>(seen > 0 ? seen - 1 : 0);
}

HRESULT CanvasElementProvider::get_ProviderOptions(ProviderOptions* options) {
    if (options == nullptr) return E_POINTER;
    *options = ProviderOptions_ServerSideProvider;
    return S_OK;
}

HRESULT CanvasElementProvider::GetPatternProvider(PATTERNID, IUnknown** provider) {
    if (provider == nullptr) return E_POINTER;
    *provider = nullptr;
    return S_OK;
}

HRESULT CanvasElementProvider::GetPropertyValue(PROPERTYID propertyId, VARIANT* value) {
    if (value == nullptr) return E_POINTER;
    value->vt = VT_EMPTY;
    if (propertyId == kControlTypeProperty) {
        value->vt = VT_I4;
        value->lVal = kWindowControlType;
        return S_OK;
    }
    if (propertyId != kNameProperty && propertyId != kAutomationIdProperty) return S_OK;
    const SysAllocStringFn alloc = AccessibilityBridge().sysAllocString;
    if (alloc == nullptr) return S_OK;
    std::lock_guard<std::mutex> hold(textsMutex_);
    const std::u16string& text = propertyId == kNameProperty ? name_ : automationId_;
    BSTR copy = alloc(reinterpret_cast<const OLECHAR*>(text.c_str()));
    if (copy == nullptr) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = copy;
    return S_OK;
}

HRESULT CanvasElementProvider::get_HostRawElementProvider(IRawElementProviderSimple** provider) {
    if (provider == nullptr) return E_POINTER;
    *provider = nullptr;
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> hold(textsMutex_);
        window = window_;
    }
    const UiaHostProviderFromHwndFn host = AccessibilityBridge().uiaHostProviderFromHwnd;
    if (host == nullptr || window == nullptr) return S_OK;
    return host(window, provider);
}

void CanvasElementProvider::SetTexts(std::u16string name, std::u16string automationId, HWND window) {
    std::lock_guard<std::mutex> hold(textsMutex_);
    name_ = std::move(name);
    automationId_ = std::move(automationId);
    window_ = window;
}

void CanvasElementProvider::ClearTexts() {
    std::lock_guard<std::mutex> hold(textsMutex_);
    name_.clear();
    automationId_.clear();
    window_ = nullptr;
}

std::u16string CanvasElementProvider::Name() const {
    std::lock_guard<std::mutex> hold(textsMutex_);
    return name_;
}

AccessibilityBridgeState& AccessibilityBridge() {
    static AccessibilityBridgeState state;
    return state;
}

void LoadAccessibilityLibraries(AccessibilityBridgeState& s) {
    if (s.loaded) return;
    s.loaded = true;
    s.uiaCore = LoadLibraryA("UIAutomationCore.dll");
    s.oleAut = LoadLibraryA("OleAut32.dll");
    if (s.uiaCore != nullptr) {
        s.uiaReturnRawElementProvider = Entry<UiaReturnRawElementProviderFn>(s.uiaCore, "UiaReturnRawElementProvider");
        s.uiaHostProviderFromHwnd = Entry<UiaHostProviderFromHwndFn>(s.uiaCore, "UiaHostProviderFromHwnd");
        s.uiaRaiseAutomationEvent = Entry<UiaRaiseAutomationEventFn>(s.uiaCore, "UiaRaiseAutomationEvent");
        s.uiaRaiseAutomationPropertyChangedEvent =
            Entry<UiaRaiseAutomationPropertyChangedEventFn>(s.uiaCore, "UiaRaiseAutomationPropertyChangedEvent");
        s.uiaRaiseStructureChangedEvent =
            Entry<UiaRaiseStructureChangedEventFn>(s.uiaCore, "UiaRaiseStructureChangedEvent");
    }
    if (s.oleAut != nullptr) {
        s.sysAllocString = Entry<SysAllocStringFn>(s.oleAut, "SysAllocString");
        s.sysFreeString = Entry<SysFreeStringFn>(s.oleAut, "SysFreeString");
        s.safeArrayCreateVector = Entry<SafeArrayCreateVectorFn>(s.oleAut, "SafeArrayCreateVector");
        s.safeArrayAccessData = Entry<SafeArrayAccessDataFn>(s.oleAut, "SafeArrayAccessData");
        s.safeArrayUnaccessData = Entry<SafeArrayUnaccessDataFn>(s.oleAut, "SafeArrayUnaccessData");
    }
}

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, int32_t windowId) {
    AccessibilityBridgeState& s = AccessibilityBridge();
    BumpCounter(s.getObjectCount);
    // Other object ids (client, window, caret, ...) are legacy accessibility
    // requests: the system answers those. The id is a 32-bit value that may
    // arrive zero- or sign-extended, so only its low half counts.
    if (static_cast<int32_t>(lParam) != kRootObjectId) return DefWindowProcW(hwnd, WM_GETOBJECT, wParam, lParam);
    if (!ValidWindowId(windowId)) return DefWindowProcW(hwnd, WM_GETOBJECT, wParam, kRootObjectId);
    AccessibilitySlot& slot = s.slots[windowId - 1];
    if (!slot.enabled || slot.owner != hwnd) return DefWindowProcW(hwnd, WM_GETOBJECT, wParam, kRootObjectId);
    s.rootRequested = true;
    LoadAccessibilityLibraries(s);
    if (s.uiaReturnRawElementProvider == nullptr) return DefWindowProcW(hwnd, WM_GETOBJECT, wParam, kRootObjectId);
    s.lastReturn = s.uiaReturnRawElementProvider(hwnd, wParam, kRootObjectId, &slot.provider);
    return s.lastReturn;
}

void ClearAccessibilityForWindow(int32_t windowId) {
    if (!ValidWindowId(windowId)) return;
    AccessibilityBridgeState& s = AccessibilityBridge();
    AccessibilitySlot& slot = s.slots[windowId - 1];
    slot.enabled = false;
    slot.secondFlag = false;
    slot.word1 = 0;
    slot.word2 = 0;
    slot.provider.ClearTexts();
    s.windowWord64[windowId - 1] = 0;
    s.windowWord32[windowId - 1] = 0;
    for (AccessibilityNode& node : s.nodes) {
        if (node.windowId == windowId) {
            node.flag1 = false;
            node.flag2 = false;
        }
    }
    s.currentNode = 0;
}

bool EnableAccessibilitySlot(std::string_view name) {
    CanvasWindow* w = ResolveCurrentWindow();
    if (w == nullptr || w->hwnd == nullptr || !ValidWindowId(w->id)) return false;
    std::u16string units;
    if (!Utf8ToUtf16Strict(name, units)) return false;
    AccessibilitySlot& slot = AccessibilityBridge().slots[w->id - 1];
    const std::string id = "rava-canvas-window-" + std::to_string(w->id);
    slot.provider.SetTexts(std::move(units), std::u16string(id.begin(), id.end()), w->hwnd);
    slot.owner = w->hwnd;
    slot.enabled = true;
    return true;
}

}  // namespace rava
