// LengthPrefixedText, IdentityKey and IdentityHash: the key texts of the
// store's index and the bucket function that places them. Pure functions.
#include <array>

#include "retained/render_records.h"

namespace rava {
namespace {

constexpr std::string_view kHashAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-:/@";
// Bytes outside the alphabet share one code; it is deliberately not 69.
constexpr int32_t kForeignByteCode = 71;

constexpr std::array<int32_t, 256> BuildHashCodes() {
    std::array<int32_t, 256> codes{};
    for (auto& c : codes) c = kForeignByteCode;
    for (size_t i = 0; i < kHashAlphabet.size(); ++i) {
        codes[static_cast<unsigned char>(kHashAlphabet[i])] = static_cast<int32_t>(i + 1);
    }
    return codes;
}

constexpr std::array<int32_t, 256> kHashCodes = BuildHashCodes();

}  // namespace

// "{0}:{1}" with the byte length and the text.
std::string LengthPrefixedText(std::string_view text) {
    std::string out = std::to_string(text.size());
    out += ':';
    out += text;
    return out;
}

// "{0}:{1}:{2}:{3}:{4}": kind length, kind, id length, id, number. Built by
// appending (the hottest text of every lookup); fields are never rescanned.
std::string IdentityKey(std::string_view kind, std::string_view id, int64_t number) {
    std::string out;
    out.reserve(kind.size() + id.size() + 32);
    out += std::to_string(kind.size());
    out += ':';
    out += kind;
    out += ':';
    out += std::to_string(id.size());
    out += ':';
    out += id;
    out += ':';
    out += std::to_string(number);
    return out;
}

int32_t IdentityHash(std::string_view key, int32_t bucketCount) {
    if (bucketCount < 1) return -1;
    if ((bucketCount & (bucketCount - 1)) == 0) {
        // Every bucket count the store uses is a power of two: the remainder
        // of a nonnegative value is then a mask, with the same result.
        const uint32_t mask = static_cast<uint32_t>(bucketCount) - 1;
        uint32_t h = 17u & mask;
        for (char c : key) h = (h * 33u + static_cast<uint32_t>(kHashCodes[static_cast<unsigned char>(c)])) & mask;
        return static_cast<int32_t>(h);
    }
    // 64-bit steps: h < bucketCount, so h*33+71 cannot overflow, and for every
    // bucket count the result equals the 32-bit recurrence where that one fits.
    int64_t h = 17 % bucketCount;
    for (char c : key) {
        h = (h * 33 + kHashCodes[static_cast<unsigned char>(c)]) % bucketCount;
    }
    return static_cast<int32_t>(h);
}

}  // namespace rava
