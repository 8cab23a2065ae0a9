// Window class registration and the opening sequence of a canvas window:
// window, DC, pixel format (ARB strict sRGB when offered, else legacy),
// context, sRGB decision, touch/session registration, title-bar colours,
// fonts. A failed step releases what was acquired and raises; the registry
// is left unchanged and the failed window takes no id.
#include <windows.h>
// The shell and session headers need windows.h first.
#include <shellapi.h>
#include <wtsapi32.h>

#include <exception>
#include <memory>
#include <string>

#include "host/core/utf.h"
#include "host/host.h"
#include "host/win32/canvas_faults.h"
#include "host/win32/canvas_fonts.h"
#include "host/win32/canvas_gl.h"
#include "host/win32/pixel_format.h"
#include "host/win32/window_proc.h"
#include "runtime/runtime.h"

namespace rava {

namespace {

constexpr DWORD kOpaqueStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kOpaqueExStyle = WS_EX_APPWINDOW;
// A layered window is sized by the bitmap it presents, so it has no frame:
// its whole window is the client area.
constexpr DWORD kTranslucentStyle = WS_POPUP;
constexpr DWORD kTranslucentExStyle = WS_EX_APPWINDOW | WS_EX_LAYERED;

[[noreturn]] void FailOpen(HWND hwnd, HDC dc, const char* message) {
    if (dc != nullptr) ReleaseDC(hwnd, dc);
    DestroyWindow(hwnd);
    CheckCanvasCondition(false, message);
    std::terminate();  // not reached: a false condition always raises
}

std::u16string TitleToUtf16(std::string_view title) {
    std::u16string wide;
    if (!Utf8ToUtf16Strict(title, wide)) wide.clear();
    // Win32 titles end at the first NUL anyway; keep the rest out explicitly.
    const size_t nul = wide.find(u'\0');
    if (nul != std::u16string::npos) wide.resize(nul);
    return wide;
}

void ApplyDarkTitleBar(HWND hwnd) {
    HMODULE dwm = LoadLibraryA("dwmapi.dll");
    if (dwm == nullptr) return;
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    auto set = reinterpret_cast<SetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
    if (set != nullptr) {
        const DWORD on = 1;
        const DWORD caption = 0x00181412;
        const DWORD border = 0x00362F2B;
        const DWORD text = 0x00E2E8E8;
        set(hwnd, 20, &on, 4);
        set(hwnd, 19, &on, 4);
        set(hwnd, 35, &caption, 4);
        set(hwnd, 34, &border, 4);
        set(hwnd, 36, &text, 4);
    }
    FreeLibrary(dwm);
}

void OpenWindow(std::string_view title, const CanvasOpenOptions& options) {
    CanvasWindowRegistry& registry = CanvasRegistry();
    if (registry.currentId != 0) {
        CanvasWindow* current = FindCanvasWindowById(registry.currentId);
        if (current != nullptr && current->open) {
            registry.activeId = current->id;
            wglMakeCurrent(current->dc, current->glrc);
            return;
        }
    }
    if (registry.nextId > kMaxCanvasWindows) return;
    RegisterCanvasWindowClasses();

    const DWORD style = options.translucent ? kTranslucentStyle : kOpaqueStyle;
    const DWORD exStyle = options.translucent ? kTranslucentExStyle : kOpaqueExStyle;
    RECT outer = {0, 0, kInitialClientWidth, kInitialClientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const std::u16string wideTitle = TitleToUtf16(title);

    HWND hwnd = nullptr;
    if (!CanvasFaultInjected(kFaultCreateWindow)) {
        hwnd = CreateWindowExW(exStyle, options.translucent ? kCanvasTranslucentWindowClass : kCanvasWindowClass,
                               reinterpret_cast<const wchar_t*>(wideTitle.c_str()), style,
                               options.translucent ? 0 : CW_USEDEFAULT, options.translucent ? 0 : CW_USEDEFAULT,
                               outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    CheckCanvasCondition(hwnd != nullptr, "failed to create window/canvas window");
    DragAcceptFiles(hwnd, TRUE);

    HDC dc = CanvasFaultInjected(kFaultGetDc) ? nullptr : GetDC(hwnd);
    if (dc == nullptr) FailOpen(hwnd, nullptr, "failed to acquire window/canvas device context");

    PIXELFORMATDESCRIPTOR pfd = CanvasPixelFormatDescriptor(32);
    const int arbFormat = NegotiateArbPixelFormat(dc);
    int format = 0;
    if (arbFormat > 0) {
        const int described =
            CanvasFaultInjected(kFaultDescribeFormat) ? 0 : DescribePixelFormat(dc, arbFormat, sizeof(pfd), &pfd);
        if (described == 0) {
            FailOpen(hwnd, dc, "failed to describe strict sRGB window/canvas pixel format");
        }
        format = arbFormat;
    } else {
        format = CanvasFaultInjected(kFaultChooseFormat) ? 0 : ChoosePixelFormat(dc, &pfd);
        if (format == 0) FailOpen(hwnd, dc, "failed to configure window/canvas OpenGL pixel format");
    }
    if (CanvasFaultInjected(kFaultSetFormat) || SetPixelFormat(dc, format, &pfd) != 1) {
        FailOpen(hwnd, dc, "failed to configure window/canvas OpenGL pixel format");
    }

    HGLRC glrc = CanvasFaultInjected(kFaultCreateContext) ? nullptr : wglCreateContext(dc);
    if (glrc != nullptr && (CanvasFaultInjected(kFaultMakeCurrent) || wglMakeCurrent(dc, glrc) != 1)) {
        wglDeleteContext(glrc);
        glrc = nullptr;
    }
    if (glrc == nullptr) FailOpen(hwnd, dc, "failed to activate window/canvas OpenGL context");

    const bool strictSrgb = arbFormat > 0 && GetPixelFormat(dc) == arbFormat && IsStrictSrgbPixelFormat(dc, arbFormat);
    const bool srgbOutput = strictSrgb && DecideSrgbOutput();

    RegisterTouchWindow(hwnd, 0);
    WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_THIS_SESSION);
    ApplyDarkTitleBar(hwnd);

    auto window = std::make_unique<CanvasWindow>();
    window->id = registry.nextId++;
    window->hwnd = hwnd;
    window->dc = dc;
    window->glrc = glrc;
    window->strictSrgbFormat = strictSrgb;
    window->srgbOutput = srgbOutput;
    window->translucent = options.translucent;
    CreateCanvasFonts(*window);
    window->width = kInitialClientWidth;
    window->height = kInitialClientHeight;
    window->open = true;
    window->visible = true;
    window->captionButtons = true;
    window->customChrome = true;
    RefreshDpiAndMonitor(*window);

    const int32_t id = window->id;
    if (CanvasWindow* stale = FindCanvasWindowById(id)) DestroyCanvasWindow(*stale);
    CanvasWindow& stored = *(registry.windows[id] = std::move(window));
    registry.currentId = id;
    registry.activeId = id;
    StampCanvasWindow(stored, kEventNone);

    // A layered window stays hidden until its first successful presentation.
    if (!options.translucent) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
    PumpWindowMessages();
}

}  // namespace

void RegisterCanvasWindowClasses() {
    if (CanvasRegistry().classesRegistered.exchange(true)) return;
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    HINSTANCE module = GetModuleHandleW(nullptr);
    HCURSOR arrow = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));

    WNDCLASSW opaque{};
    opaque.style = CS_OWNDC;
    opaque.lpfnWndProc = CanvasWindowProc;
    opaque.hInstance = module;
    opaque.hCursor = arrow;
    opaque.hbrBackground = CreateSolidBrush(RGB(10, 11, 13));
    opaque.lpszClassName = kCanvasWindowClass;
    RegisterClassW(&opaque);

    WNDCLASSW translucent{};
    translucent.style = 0;
    translucent.lpfnWndProc = CanvasWindowProc;
    translucent.hInstance = module;
    translucent.hCursor = arrow;
    translucent.lpszClassName = kCanvasTranslucentWindowClass;
    RegisterClassW(&translucent);
}

void OpenCanvasWindow(std::string_view title) { OpenWindow(title, CanvasOpenOptions{}); }

void OpenCanvasWindow(std::string_view title, const CanvasOpenOptions& options) { OpenWindow(title, options); }

}  // namespace rava
