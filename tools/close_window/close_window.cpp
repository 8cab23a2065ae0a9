// rava_close_window TITLE [--system]: finds a top-level window by its exact
// title and posts it WM_CLOSE (or, with --system, the system menu's close
// command, as the caption's close button does). Waits up to five seconds for
// the window to appear. Exit status 0 when posted, 1 when not found, 2 on usage.
#include <windows.h>
// NOTE: shellapi.h needs the types of windows.h, so it stays in its own block.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 2 || argc > 3 || (argc == 3 && std::wcscmp(argv[2], L"--system") != 0)) {
        std::fputs("usage: rava_close_window TITLE [--system]\n", stderr);
        return 2;
    }
    const bool system = argc == 3;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (HWND window = FindWindowW(nullptr, argv[1])) {
            const BOOL posted =
                system ? PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) : PostMessageW(window, WM_CLOSE, 0, 0);
            LocalFree(argv);
            if (!posted) {
                std::fprintf(stderr, "rava_close_window: posting failed (error %lu)\n", GetLastError());
                return 1;
            }
            return 0;
        }
        Sleep(100);
    }
    LocalFree(argv);
    std::fputs("rava_close_window: no window with that title\n", stderr);
    return 1;
}
