// Shared fixtures for the provider tests: configs with chosen capabilities and a provider
// already initialized on its owner thread.
#pragma once

#include <memory>
#include <string>

#include "provider/native_ui_host_provider.h"

namespace rava::testing {

inline constexpr int32_t kOwner = 7;
inline constexpr int32_t kStranger = 9;

inline ProviderConfig FullConfig(std::string name = "probe") {
    ProviderConfig config;
    config.providerName = std::move(name);
    config.capabilities = ProviderCapabilities{true, true, true, true, true, true, true};
    return config;
}

// A provider in "ready" whose single initialization event used time 10 and correlation 1.
inline std::unique_ptr<NativeUiHostProvider> ReadyProvider(const ProviderConfig& config = FullConfig()) {
    auto provider = std::make_unique<NativeUiHostProvider>(config, kOwner);
    provider->Initialize(true, false, kOwner, 10, 1);
    return provider;
}

inline std::string LastEvent(const NativeUiHostProvider& p) {
    return p.EventAt(static_cast<int64_t>(p.events.size()) - 1);
}

inline std::string Rejected(const std::string& operation, const std::string& reason) {
    return "host.ui_services " + operation + " rejected: " + reason;
}

}  // namespace rava::testing
