// The retained store's plain value records, their canonical versioned
// signatures and the identity keys and hash by which the store indexes them.
// Records are copied freely; signatures are pure functions of the fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rava {

struct RenderPaint {
    std::string id;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    int32_t alpha = 0;
    int32_t radius = 0;
    int32_t borderWidth = 0;
    int32_t opacity = 0;
    bool operator==(const RenderPaint&) const = default;
};

struct RenderImage {
    std::string id;
    std::string kind;
    int32_t generation = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t sizeBytes = 0;
    std::string format;
    std::string colorSpace;
    std::string alphaMode;
    std::string state;
    bool resident = false;
    std::string contentIdentity;
    std::string payloadHex;
    std::string source;
    bool operator==(const RenderImage&) const = default;
};

// An A8 coverage mask, identified by its sha256 content identity.
struct RenderGlyphAlpha {
    std::string id;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowBytes = 0;
    int32_t sizeBytes = 0;
    std::string format;
    std::string payloadHex;
    std::string source;
    bool operator==(const RenderGlyphAlpha&) const = default;
};

struct RenderClip {
    std::string id;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t radius = 0;
    bool operator==(const RenderClip&) const = default;
};

// The id "identity" names the built-in transform and is never stored.
struct RenderTransform {
    std::string id;
    int32_t translateX = 0;
    int32_t translateY = 0;
    int32_t scaleXPercent = 0;
    int32_t scaleYPercent = 0;
    int32_t rotationMillidegrees = 0;
    bool operator==(const RenderTransform&) const = default;
};

// The string and int arguments belong to whoever issues and draws commands;
// the store only carries them inside the command signature.
struct RenderCommand {
    int32_t sequence = 0;
    std::string owner;
    std::string kind;
    std::string stringArg1;
    std::string stringArg2;
    std::string resourceId;
    int32_t imageGeneration = 0;
    std::string paintId;
    std::string clipId;
    std::string transformId;
    int32_t intArg1 = 0;
    int32_t intArg2 = 0;
    int32_t intArg3 = 0;
    int32_t intArg4 = 0;
    std::string stringArg3;
    std::string stringArg4;
    std::string stringArg5;
    std::string stringArg6;
    std::string stringArg7;
    std::string stringArg8;
    int32_t intArg5 = 0;
    int32_t intArg6 = 0;
    int32_t intArg7 = 0;
    int32_t intArg8 = 0;
    int32_t intArg9 = 0;
    int32_t intArg10 = 0;
    int32_t intArg11 = 0;
    int32_t intArg12 = 0;
    int32_t intArg13 = 0;
    int32_t intArg14 = 0;
    int32_t intArg15 = 0;
    int32_t intArg16 = 0;
    int32_t intArg17 = 0;
    int32_t intArg18 = 0;
    int32_t intArg19 = 0;
    int32_t intArg20 = 0;
    int32_t intArg21 = 0;
    int32_t intArg22 = 0;
    bool glyphOptional = false;
};

struct RenderBounds {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// An owner's retained command list with its bounds and dependency signature.
struct RenderFragment {
    std::string id;
    int32_t generation = 0;
    int32_t userValue = 0;
    RenderBounds layoutBounds;
    RenderBounds inkBounds;
    std::string dependencyKey1;
    std::string dependencyKey2;
    std::string dependencyKey3;
    std::string dependencyKey4;
    std::string dependencyKey5;
    std::string dependencySource;
    std::vector<RenderCommand> commands;
    std::string source;
};

// "<byte length>:<text>", so ids carry any byte without escaping.
std::string LengthPrefixedText(std::string_view text);

std::string PaintSignature(const RenderPaint& paint);
std::string ImageSignature(const RenderImage& image);
std::string GlyphSignature(const RenderGlyphAlpha& glyph);
std::string ClipSignature(const RenderClip& clip);
std::string TransformSignature(const RenderTransform& transform);
std::string CommandSignature(const RenderCommand& command);
// Carries the command count, not the commands: each command signs itself.
std::string FragmentSignature(const RenderFragment& fragment);
// True when the record's signature is exactly `signature`, without keeping
// a new text.
bool SignsAs(const RenderPaint& paint, std::string_view signature);
bool SignsAs(const RenderImage& image, std::string_view signature);
bool SignsAs(const RenderGlyphAlpha& glyph, std::string_view signature);
bool SignsAs(const RenderClip& clip, std::string_view signature);
bool SignsAs(const RenderTransform& transform, std::string_view signature);
bool SignsAs(const RenderCommand& command, std::string_view signature);
bool SignsAs(const RenderFragment& fragment, std::string_view signature);

// lp(kind) ":" lp(id) ":" number, e.g. "5:paint:3:sky:0".
std::string IdentityKey(std::string_view kind, std::string_view id, int64_t number);

// The same key text built in place for one lookup: short keys (nearly all)
// need no allocation. Converts to a view valid while the object lives.
class KeyText {
public:
    KeyText(std::string_view kind, std::string_view id, int64_t number);
    KeyText(const KeyText&) = delete;
    KeyText& operator=(const KeyText&) = delete;
    operator std::string_view() const { return {data_, size_}; }

private:
    char inline_[120];
    std::string heap_;
    const char* data_ = nullptr;
    size_t size_ = 0;
};

// Bucket of a key for the given bucket count, in 0..bucketCount-1; -1 when
// the bucket count is not positive (there is no bucket to answer).
int32_t IdentityHash(std::string_view key, int32_t bucketCount);

}  // namespace rava
