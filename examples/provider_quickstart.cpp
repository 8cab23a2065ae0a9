// provider_quickstart: constructs and initialises a native UI host provider,
// runs one text-input composition and a clipboard write and read, then prints
// the host-event log and the diagnostics line. One refused call shows how a
// client reads the reason: calls answer false and set lastResult.
#include <rava/provider/native_ui_host_provider.h>

#include <cstdio>
#include <string>

namespace {

// Every call names the calling thread; only the owner thread may drive the provider.
constexpr int32_t kUiThread = 1;
constexpr const char* kPlainText = "text/plain;charset=utf-8";

void Check(bool ok, const rava::NativeUiHostProvider& provider) {
    if (!ok) std::printf("refused: %s\n", provider.lastResult.c_str());
}

}  // namespace

int main() {
    rava::ProviderConfig config;
    config.providerName = "quickstart";
    config.capabilities.textInput = true;
    config.capabilities.clipboard = true;
    rava::NativeUiHostProvider provider(config, kUiThread);
    // Host available, no partial failure; time 100, correlation 1.
    Check(provider.Initialize(true, false, kUiThread, 100, 1), provider);

    // A composition in window "editor": preedit "ni" with the caret after it,
    // then the committed text replaces it.
    Check(provider.BeginTextInput("editor", "ni", 2, 2, 0, 2, 40, 8, 1, 16, 40, 26, "text", "none", false, false,
                                  kUiThread, 110, 2),
          provider);
    Check(provider.CommitTextInput("editor", "你", 0, 2, kUiThread, 120, 2), provider);

    // Clipboard: write text now (not delayed), then read it back.
    Check(provider.SetClipboard("editor", kPlainText, "hello", false, true, kUiThread, 130, 3), provider);
    const std::string pasted = provider.ReadClipboard(kPlainText, true, kUiThread, 140, 4);
    std::printf("clipboard: %s\n", pasted.c_str());

    // Refused: reading a format the clipboard does not hold. Nothing is logged.
    provider.ReadClipboard("image/rgba8", true, kUiThread, 150, 5);
    std::printf("last result: %s\n", provider.lastResult.c_str());

    for (const std::string& line : provider.events) std::printf("%s\n", line.c_str());
    std::printf("%s\n", provider.ProviderDiagnostics().c_str());
    return 0;
}
