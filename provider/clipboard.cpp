// Clipboard service: a single entry (owner, format, byte payload, delayed flag). Delayed entries are
// promises that only their owner can fulfil, and cannot be read until then.
#include "provider/native_ui_host_provider.h"
#include "runtime/runtime.h"

namespace rava {

bool NativeUiHostProvider::IsSupportedClipboardFormat(std::string_view format) const {
    return format == "text/plain;charset=utf-8" || format == "image/rgba8" || format == "application/rava-value-v1";
}

bool NativeUiHostProvider::SetClipboard(std::string_view owner, std::string_view format, std::string_view payload,
                                        bool delayed, bool permitted, int32_t thread, int32_t time,
                                        int32_t correlation) {
    if (!RequireCapability(thread, "clipboard")) return false;
    if (!permitted || owner.empty() || !IsSupportedClipboardFormat(format) ||
        (delayed && !HasCapability("delayed-clipboard"))) {
        return Reject("clipboard-set", "permission-format-owner-or-delayed-capability");
    }
    clipboardOwner = owner;
    clipboardFormat = format;
    clipboardPayload = payload;
    clipboardDelayed = delayed;
    LogHostEvent("clipboard", owner, "ownership", Format("format={0}; delayed={1}", {format, delayed}), time,
                 correlation, 2);
    return true;
}

bool NativeUiHostProvider::MaterializeClipboard(std::string_view owner, std::string_view payload, bool permitted,
                                                int32_t thread, int32_t time, int32_t correlation) {
    if (!RequireCapability(thread, "clipboard")) return false;
    if (!permitted || owner != clipboardOwner || !clipboardDelayed) {
        return Reject("clipboard-materialize", "permission-owner-or-not-delayed");
    }
    clipboardPayload = payload;
    clipboardDelayed = false;
    LogHostEvent("clipboard", owner, "materialized", clipboardFormat, time, correlation, 2);
    return true;
}

std::string NativeUiHostProvider::ReadClipboard(std::string_view format, bool permitted, int32_t thread, int32_t time,
                                                int32_t correlation) {
    if (!RequireCapability(thread, "clipboard")) return std::string();
    // An entry that was never set has the empty format; matching it would report a read of data
    // that does not exist as a success, so only the supported formats can match.
    if (!permitted || format != clipboardFormat || !IsSupportedClipboardFormat(format) || clipboardDelayed) {
        Reject("clipboard-read", "permission-format-or-delayed-data");
        return std::string();
    }
    LogHostEvent("clipboard", clipboardOwner, "read", format, time, correlation, 1);
    return clipboardPayload;
}

}  // namespace rava
