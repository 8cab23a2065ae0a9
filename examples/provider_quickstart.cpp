// provider_quickstart: constructs and initialises a native UI host provider,
// runs one text-input composition and a clipboard write and read, then prints
// the host-event log and the diagnostics line. Two refused calls show how a
// client reads the reason: calls answer false and set lastResult, which keeps
// the last refusal until Initialize (the only call that resets it to "ok").
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
    rava::NativeUiHostProvider provider(config, /*ownerThread=*/kUiThread);
    Check(provider.Initialize(/*hostAvailable=*/true, /*partialFailure=*/false, /*thread=*/kUiThread, /*time=*/100,
                              /*correlation=*/1),
          provider);

    // A composition in window "editor": preedit "ni" with the caret after it,
    // then the committed text replaces it.
    Check(provider.BeginTextInput(/*window=*/"editor", /*text=*/"ni", /*selectionStart=*/2, /*selectionEnd=*/2,
                                  /*replacementStart=*/0, /*replacementLength=*/2, /*caretX=*/40, /*caretY=*/8,
                                  /*caretWidth=*/1, /*caretHeight=*/16, /*candidateX=*/40, /*candidateY=*/26,
                                  /*purpose=*/"text", /*hints=*/"none", /*deadKey=*/false, /*virtualKeyboard=*/false,
                                  /*thread=*/kUiThread, /*time=*/110, /*correlation=*/2),
          provider);
    Check(provider.CommitTextInput(/*window=*/"editor", /*text=*/"你", /*replacementStart=*/0,
                                   /*replacementLength=*/2, /*thread=*/kUiThread, /*time=*/120, /*correlation=*/2),
          provider);

    // Clipboard: write text now (not delayed), then read it back.
    Check(provider.SetClipboard(/*owner=*/"editor", /*format=*/kPlainText, /*payload=*/"hello", /*delayed=*/false,
                                /*permitted=*/true, /*thread=*/kUiThread, /*time=*/130, /*correlation=*/3),
          provider);
    const std::string pasted = provider.ReadClipboard(/*format=*/kPlainText, /*permitted=*/true, /*thread=*/kUiThread,
                                                      /*time=*/140, /*correlation=*/4);
    std::printf("clipboard: %s\n", pasted.c_str());

    // Refused: reading a format the clipboard does not hold. Nothing is logged.
    provider.ReadClipboard(/*format=*/"image/rgba8", /*permitted=*/true, /*thread=*/kUiThread, /*time=*/150,
                           /*correlation=*/5);
    std::printf("last result: %s\n", provider.lastResult.c_str());
    // Refused by the gate, with values in the reason: the wrong thread.
    Check(provider.SetClipboard("editor", kPlainText, "bye", false, true, /*thread=*/2, 160, 6), provider);
    // An accepted call leaves lastResult as it was: it holds the last refusal.
    Check(provider.SetClipboard("editor", kPlainText, "bye", false, true, kUiThread, 170, 7), provider);
    std::printf("after an accepted call: %s\n", provider.lastResult.c_str());

    for (const std::string& line : provider.events) std::printf("%s\n", line.c_str());
    std::printf("%s\n", provider.ProviderDiagnostics().c_str());
    return 0;
}
