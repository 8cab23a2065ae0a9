// UI Automation bridge on real windows: nothing loads before a slot is
// enabled, an enabled slot loads the libraries once and hands its provider to
// UI Automation (a client then reads the name through it), and destroying a
// window clears only its own slot and nodes.
// Window ids are 1, 2, 3 in this process, in the order the tests open them.
#include "host/win32/accessibility_bridge.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include "tests/host_win32_input/test_canvas.h"

namespace rava {
namespace {

constexpr LPARAM kRoot = -25;

TEST(AccessibilityBridge, WithoutAnEnabledSlotNothingLoads) {
    CanvasWindow& w = testing::OpenFreshCanvas();
    ASSERT_EQ(w.id, 1);
    AccessibilityBridgeState& s = AccessibilityBridge();
    EXPECT_EQ(SendMessageW(w.hwnd, WM_GETOBJECT, 0, kRoot), DefWindowProcW(w.hwnd, WM_GETOBJECT, 0, kRoot));
    EXPECT_EQ(SendMessageW(w.hwnd, WM_GETOBJECT, 0, OBJID_CLIENT),
              DefWindowProcW(w.hwnd, WM_GETOBJECT, 0, OBJID_CLIENT));
    EXPECT_EQ(s.getObjectCount, 2);
    EXPECT_FALSE(s.loaded);
    EXPECT_FALSE(s.rootRequested);
    EXPECT_EQ(s.uiaCore, nullptr);
    EXPECT_EQ(s.oleAut, nullptr);
    EXPECT_EQ(GetModuleHandleA("UIAutomationCore.dll"), nullptr);
}

TEST(AccessibilityBridge, EnabledSlotLoadsOnceAndAnswersThroughUiAutomation) {
    CanvasWindow& w = *FindCanvasWindowById(1);
    testing::BringToFront(w.hwnd);
    CanvasRegistry().currentId = 1;
    CanvasRegistry().activeId = 1;
    ASSERT_TRUE(EnableAccessibilitySlot("Fluid \xE2\x80\x94 canvas"));
    AccessibilityBridgeState& s = AccessibilityBridge();
    EXPECT_TRUE(s.slots[0].enabled);
    EXPECT_FALSE(s.loaded);  // enabling alone loads nothing

    const LRESULT answer = SendMessageW(w.hwnd, WM_GETOBJECT, 0, kRoot);
    EXPECT_TRUE(s.loaded);
    EXPECT_TRUE(s.rootRequested);
    ASSERT_NE(s.uiaCore, nullptr);
    ASSERT_NE(s.oleAut, nullptr);
    EXPECT_NE(s.uiaReturnRawElementProvider, nullptr);
    EXPECT_NE(s.uiaHostProviderFromHwnd, nullptr);
    EXPECT_NE(s.uiaRaiseAutomationEvent, nullptr);
    EXPECT_NE(s.uiaRaiseAutomationPropertyChangedEvent, nullptr);
    EXPECT_NE(s.uiaRaiseStructureChangedEvent, nullptr);
    EXPECT_NE(s.sysAllocString, nullptr);
    EXPECT_NE(s.sysFreeString, nullptr);
    EXPECT_NE(s.safeArrayCreateVector, nullptr);
    EXPECT_NE(s.safeArrayAccessData, nullptr);
    EXPECT_NE(s.safeArrayUnaccessData, nullptr);
    EXPECT_EQ(answer, s.lastReturn);
    RecordProperty("UiaReturnRawElementProvider", std::to_string(static_cast<long long>(answer)));

    // A second request reuses the loaded modules.
    const HMODULE core = s.uiaCore;
    SendMessageW(w.hwnd, WM_GETOBJECT, 0, kRoot);
    EXPECT_EQ(s.uiaCore, core);
    EXPECT_EQ(s.getObjectCount, 4);
}

// Legacy accessibility requests are the system's to answer, even for a window
// with an enabled slot; they are not root requests.
TEST(AccessibilityBridge, OtherObjectIdsGetTheSystemsAnswer) {
    CanvasWindow& w = *FindCanvasWindowById(1);
    AccessibilityBridgeState& s = AccessibilityBridge();
    ASSERT_TRUE(s.slots[0].enabled);
    s.rootRequested = false;
    s.lastReturn = 0x5151;
    for (const LPARAM id : {LPARAM{OBJID_CLIENT}, LPARAM{OBJID_WINDOW}, LPARAM{OBJID_CARET}}) {
        EXPECT_EQ(SendMessageW(w.hwnd, WM_GETOBJECT, 0, id), DefWindowProcW(w.hwnd, WM_GETOBJECT, 0, id)) << id;
        EXPECT_FALSE(s.rootRequested) << id;
        EXPECT_EQ(s.lastReturn, 0x5151) << id;
    }
    // The root id zero-extended from 32 bits is still the root request.
    SendMessageW(w.hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<uint32_t>(kRoot)));
    EXPECT_TRUE(s.rootRequested);
    EXPECT_NE(s.lastReturn, 0x5151);
}

TEST(AccessibilityBridge, ProviderReportsNameAndWindowControlType) {
    AccessibilitySlot& slot = AccessibilityBridge().slots[0];
    IRawElementProviderSimple* provider = &slot.provider;
    VARIANT name{};
    ASSERT_EQ(provider->GetPropertyValue(30005, &name), S_OK);
    ASSERT_EQ(name.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(name.bstrVal)), u"Fluid \u2014 canvas");
    AccessibilityBridge().sysFreeString(name.bstrVal);
    VARIANT type{};
    ASSERT_EQ(provider->GetPropertyValue(30003, &type), S_OK);
    EXPECT_EQ(type.vt, VT_I4);
    EXPECT_EQ(type.lVal, 50032);
    VARIANT other{};
    ASSERT_EQ(provider->GetPropertyValue(30001, &other), S_OK);
    EXPECT_EQ(other.vt, VT_EMPTY);
    ProviderOptions options{};
    ASSERT_EQ(provider->get_ProviderOptions(&options), S_OK);
    EXPECT_EQ(options, ProviderOptions_ServerSideProvider);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(provider->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(provider));
    unknown->Release();
    void* nothing = reinterpret_cast<void*>(1);
    EXPECT_EQ(provider->QueryInterface(IID_IDispatch, &nothing), E_NOINTERFACE);
    EXPECT_EQ(nothing, nullptr);
    EXPECT_EQ(provider->GetPropertyValue(30005, nullptr), E_POINTER);
}

TEST(AccessibilityBridge, SlotOfAnotherHandleGivesTheDefaultAnswer) {
    CanvasWindow& w = *FindCanvasWindowById(1);
    AccessibilityBridgeState& s = AccessibilityBridge();
    const LRESULT last = s.lastReturn;
    HWND saved = s.slots[0].owner;
    s.slots[0].owner = reinterpret_cast<HWND>(0x1234);
    s.lastReturn = 0x5151;
    EXPECT_EQ(SendMessageW(w.hwnd, WM_GETOBJECT, 0, kRoot), DefWindowProcW(w.hwnd, WM_GETOBJECT, 0, kRoot));
    EXPECT_EQ(s.lastReturn, 0x5151);
    s.slots[0].owner = saved;
    s.lastReturn = last;
}

TEST(AccessibilityBridge, DestroyingWindow3ClearsSlot2AndOnlyItsNodes) {
    CanvasWindow& second = testing::OpenFreshCanvas();
    ASSERT_TRUE(EnableAccessibilitySlot("second"));
    CanvasWindow& third = testing::OpenFreshCanvas();
    ASSERT_EQ(second.id, 2);
    ASSERT_EQ(third.id, 3);
    ASSERT_TRUE(EnableAccessibilitySlot("third"));
    AccessibilityBridgeState& s = AccessibilityBridge();
    ASSERT_TRUE(s.slots[2].enabled);
    s.slots[2].secondFlag = true;
    s.slots[2].word1 = 11;
    s.slots[2].word2 = 12;
    s.windowWord64[2] = 77;
    s.windowWord32[2] = 78;
    s.windowWord64[1] = 66;
    s.currentNode = 9;
    for (int i = 0; i < kAccessibilityNodeCount; ++i) {
        s.nodes[i].windowId = i % 2 == 0 ? 3 : 2;
        s.nodes[i].flag1 = true;
        s.nodes[i].flag2 = true;
    }
    const HMODULE core = s.uiaCore;

    DestroyCanvasWindow(third);

    EXPECT_FALSE(s.slots[2].enabled);
    EXPECT_FALSE(s.slots[2].secondFlag);
    EXPECT_EQ(s.slots[2].word1, 0u);
    EXPECT_EQ(s.slots[2].word2, 0u);
    EXPECT_TRUE(s.slots[2].provider.Name().empty());
    EXPECT_EQ(s.windowWord64[2], 0u);
    EXPECT_EQ(s.windowWord32[2], 0u);
    EXPECT_EQ(s.windowWord64[1], 66u);
    EXPECT_EQ(s.currentNode, 0);
    EXPECT_TRUE(s.slots[1].enabled);
    EXPECT_EQ(s.slots[1].provider.Name(), u"second");
    EXPECT_TRUE(s.slots[0].enabled);
    for (int i = 0; i < kAccessibilityNodeCount; ++i) {
        const bool mine = i % 2 == 0;
        EXPECT_EQ(s.nodes[i].flag1, !mine) << i;
        EXPECT_EQ(s.nodes[i].flag2, !mine) << i;
    }
    EXPECT_EQ(s.uiaCore, core);  // modules and entry points stay
    EXPECT_NE(s.uiaReturnRawElementProvider, nullptr);
}

using HUIANODE = void*;
using UiaNodeFromHandleFn = HRESULT(WINAPI*)(HWND, HUIANODE*);
using UiaGetPropertyValueFn = HRESULT(WINAPI*)(HUIANODE, PROPERTYID, VARIANT*);
using UiaNodeReleaseFn = BOOL(WINAPI*)(HUIANODE);

// A UI Automation client in this process asks the window for its root and
// reads the name through it: the whole path a screen reader takes.
TEST(AccessibilityBridge, ClientReadsTheNameThroughUiAutomation) {
    CanvasWindow& w = *FindCanvasWindowById(1);
    AccessibilityBridgeState& s = AccessibilityBridge();
    ASSERT_NE(s.uiaCore, nullptr);
    auto nodeFromHandle =
        reinterpret_cast<UiaNodeFromHandleFn>(reinterpret_cast<void*>(GetProcAddress(s.uiaCore, "UiaNodeFromHandle")));
    auto getProperty = reinterpret_cast<UiaGetPropertyValueFn>(
        reinterpret_cast<void*>(GetProcAddress(s.uiaCore, "UiaGetPropertyValue")));
    auto release =
        reinterpret_cast<UiaNodeReleaseFn>(reinterpret_cast<void*>(GetProcAddress(s.uiaCore, "UiaNodeRelease")));
    ASSERT_NE(nodeFromHandle, nullptr);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const int64_t requests = s.getObjectCount;
    HUIANODE node = nullptr;
    const HRESULT made = nodeFromHandle(w.hwnd, &node);
    RecordProperty("UiaNodeFromHandle", std::to_string(static_cast<long>(made)));
    EXPECT_GT(s.getObjectCount, requests);
    ASSERT_EQ(made, S_OK);
    ASSERT_NE(node, nullptr);
    VARIANT name{};
    const HRESULT read = getProperty(node, 30005, &name);
    RecordProperty("UiaGetPropertyValue", std::to_string(static_cast<long>(read)));
    EXPECT_EQ(read, S_OK);
    EXPECT_EQ(name.vt, VT_BSTR);
    if (name.vt == VT_BSTR) {
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(name.bstrVal)), u"Fluid \u2014 canvas");
        s.sysFreeString(name.bstrVal);
    }
    release(node);
    CoUninitialize();
}

}  // namespace
}  // namespace rava
