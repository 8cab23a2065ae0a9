// UI Automation bridge: process-wide state for answering WM_GETOBJECT with a
// raw element provider that lives in the window's slot. UIAutomationCore.dll
// and OleAut32.dll are loaded on first need, never linked.
#pragma once

// NOTE: the system headers need <windows.h> first; keep this order.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>
// clang-format on

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace rava {

inline constexpr int kAccessibilitySlotCount = 16;
inline constexpr int kAccessibilityNodeCount = 256;

// A minimal root element: it reports the window's name, an automation id and
// the window control type, and defers everything else to the window's host
// provider. It lives inside its slot and is never deleted, so a reference UI
// Automation still holds stays valid; its texts are guarded because UI
// Automation may call from its own threads.
class CanvasElementProvider final : public IRawElementProviderSimple {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override;
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID patternId, IUnknown** provider) override;
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID propertyId, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** provider) override;

    void SetTexts(std::u16string name, std::u16string automationId, HWND window);
    void ClearTexts();
    std::u16string Name() const;
    LONG References() const { return references_.load(); }

private:
    mutable std::mutex textsMutex_;
    std::u16string name_;
    std::u16string automationId_;
    HWND window_ = nullptr;
    std::atomic<LONG> references_{0};
};

struct AccessibilitySlot {
    bool enabled = false;
    bool secondFlag = false;
    HWND owner = nullptr;
    uint64_t word1 = 0;
    uint64_t word2 = 0;
    CanvasElementProvider provider;
};

struct AccessibilityNode {
    int32_t windowId = 0;
    bool flag1 = false;
    bool flag2 = false;
};

using UiaReturnRawElementProviderFn = LRESULT(WINAPI*)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
using UiaHostProviderFromHwndFn = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);
using UiaRaiseAutomationEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, EVENTID);
using UiaRaiseAutomationPropertyChangedEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, PROPERTYID, VARIANT,
                                                                  VARIANT);
// The change type is an enumeration passed as an int.
using UiaRaiseStructureChangedEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, int, int*, int);
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);
using SysFreeStringFn = void(WINAPI*)(BSTR);
using SafeArrayCreateVectorFn = SAFEARRAY*(WINAPI*)(VARTYPE, LONG, ULONG);
using SafeArrayAccessDataFn = HRESULT(WINAPI*)(SAFEARRAY*, void**);
using SafeArrayUnaccessDataFn = HRESULT(WINAPI*)(SAFEARRAY*);

struct AccessibilityBridgeState {
    bool loaded = false;
    HMODULE uiaCore = nullptr;
    HMODULE oleAut = nullptr;
    UiaReturnRawElementProviderFn uiaReturnRawElementProvider = nullptr;
    UiaHostProviderFromHwndFn uiaHostProviderFromHwnd = nullptr;
    UiaRaiseAutomationEventFn uiaRaiseAutomationEvent = nullptr;
    UiaRaiseAutomationPropertyChangedEventFn uiaRaiseAutomationPropertyChangedEvent = nullptr;
    UiaRaiseStructureChangedEventFn uiaRaiseStructureChangedEvent = nullptr;
    SysAllocStringFn sysAllocString = nullptr;
    SysFreeStringFn sysFreeString = nullptr;
    SafeArrayCreateVectorFn safeArrayCreateVector = nullptr;
    SafeArrayAccessDataFn safeArrayAccessData = nullptr;
    SafeArrayUnaccessDataFn safeArrayUnaccessData = nullptr;

    AccessibilitySlot slots[kAccessibilitySlotCount];  // slot k: window id k + 1
    AccessibilityNode nodes[kAccessibilityNodeCount];
    uint64_t windowWord64[kAccessibilitySlotCount] = {};  // by window id - 1
    uint32_t windowWord32[kAccessibilitySlotCount] = {};
    int64_t currentNode = 0;

    int64_t getObjectCount = 0;
    LRESULT lastReturn = 0;
    bool rootRequested = false;
};

// The process's bridge state, made zero-filled on first use.
AccessibilityBridgeState& AccessibilityBridge();

// Loads both libraries and the ten entry points; only the first call acts.
void LoadAccessibilityLibraries(AccessibilityBridgeState& state);

// WM_GETOBJECT for a window with this id (0 = not a canvas window).
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, int32_t windowId);

// Window destruction: disables the window's slot and forgets its nodes.
void ClearAccessibilityForWindow(int32_t windowId);

}  // namespace rava
