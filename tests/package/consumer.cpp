// A client of the installed libraries: binds an owner in a store and
// initialises a provider through the <rava/...> headers. Exits non-zero when
// either does not behave, so a broken package fails the check.
#include <rava/provider/native_ui_host_provider.h>
#include <rava/retained/retained_store.h>

#include <cstdio>

int main() {
    rava::RetainedResourceStore store("consumer");
    rava::RenderFragment fragment;
    fragment.id = "owner";
    fragment.generation = 1;
    fragment.layoutBounds = fragment.inkBounds = {0, 0, 10, 10};
    fragment.dependencyKey1 = fragment.dependencyKey2 = fragment.dependencyKey3 = "k";
    fragment.dependencyKey4 = fragment.dependencyKey5 = "k";
    fragment.dependencySource = fragment.source = "consumer";
    fragment.commands.push_back({.sequence = 0, .owner = "owner", .kind = "rect"});
    const rava::OperationResult bound = store.BindOwner(fragment, {.surface = "consumer"}, 0);
    std::printf("store: %s, revision %d\n", bound.message.c_str(), store.Revision());

#ifndef RAVA_CONSUMER_STORE_ONLY
    rava::ProviderConfig config;
    config.providerName = "consumer";
    rava::NativeUiHostProvider provider(config, 1);
    const bool ready = provider.Initialize(true, false, 1, 1, 1);
    std::printf("provider: %s\n", provider.state.c_str());
    if (!ready) return 1;
#endif
    return bound.accepted && store.Revision() == 1 ? 0 : 1;
}
