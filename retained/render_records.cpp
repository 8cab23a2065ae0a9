// LengthPrefixedText, IdentityKey and IdentityHash: the key texts of the
// store's index and the bucket function that places them. Pure functions.
#include <array>
#include <charconv>
#include <cstring>

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

namespace {

struct Decimal {
    char digits[24];
    size_t size;
    explicit Decimal(int64_t value)
        : size(static_cast<size_t>(std::to_chars(digits, digits + sizeof(digits), value).ptr - digits)) {}
    std::string_view View() const { return {digits, size}; }
};

// "{0}:{1}:{2}:{3}:{4}": kind length, kind, id length, id, number; fields
// are written once, never rescanned. `place` answers room for the length.
template <typename Place>
void WriteIdentityKey(std::string_view kind, std::string_view id, int64_t number, const Place& place) {
    const Decimal kindLength(static_cast<int64_t>(kind.size()));
    const Decimal idLength(static_cast<int64_t>(id.size()));
    const Decimal value(number);
    char* p = place(kindLength.size + kind.size() + idLength.size + id.size() + value.size + 4);
    for (std::string_view field : {kindLength.View(), kind, idLength.View(), id}) {
        if (!field.empty()) std::memcpy(p, field.data(), field.size());
        p += field.size();
        *p++ = ':';
    }
    std::memcpy(p, value.digits, value.size);
}

}  // namespace

std::string IdentityKey(std::string_view kind, std::string_view id, int64_t number) {
    std::string out;
    WriteIdentityKey(kind, id, number, [&out](size_t size) {
        out.resize(size);
        return out.data();
    });
    return out;
}

KeyText::KeyText(std::string_view kind, std::string_view id, int64_t number) {
    WriteIdentityKey(kind, id, number, [this](size_t size) {
        size_ = size;
        if (size <= sizeof(inline_)) {
            data_ = inline_;
            return inline_;
        }
        heap_.resize(size);
        data_ = heap_.data();
        return heap_.data();
    });
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
