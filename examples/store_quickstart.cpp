// store_quickstart: binds one owner's fragment with a paint and an image in a
// retained resource store, updates it, prints the diagnostics line, then shows
// a refused update: its exact message, and a store that did not change.
#include <rava/retained/retained_store.h>

#include <cstdio>
#include <string>

namespace {

// A 2 x 2 sRGB image; the payload is its 16 bytes (B, G, R, A per pixel) in hex.
rava::RenderImage Thumbnail(int32_t generation) {
    rava::RenderImage image;
    image.id = "thumbnail";
    image.kind = "image";
    image.generation = generation;
    image.width = 2;
    image.height = 2;
    image.sizeBytes = 16;
    image.format = "bgra8-hex";
    image.colorSpace = "srgb";
    image.alphaMode = "straight";
    image.state = "ready";
    image.resident = true;
    image.contentIdentity = "thumbnail-v" + std::to_string(generation);
    image.payloadHex = std::string(32, generation == 1 ? '4' : '8');
    image.source = "decoder";
    return image;
}

// An owner's fragment: bounds, five dependency keys and one command that
// draws the thumbnail with the "accent" paint.
rava::RenderFragment Button(int32_t generation, int32_t imageGeneration) {
    rava::RenderFragment fragment;
    fragment.id = "button";
    fragment.generation = generation;
    fragment.layoutBounds = {10, 10, 120, 32};
    fragment.inkBounds = {10, 10, 120, 32};
    fragment.dependencyKey1 = "theme";
    fragment.dependencyKey2 = "label";
    fragment.dependencyKey3 = "icon";
    fragment.dependencyKey4 = "scale";
    fragment.dependencyKey5 = "state";
    fragment.dependencySource = "layout";
    fragment.source = "quickstart";
    rava::RenderCommand draw;
    draw.sequence = 0;
    draw.owner = "button";
    draw.kind = "image";
    draw.resourceId = "thumbnail";
    draw.imageGeneration = imageGeneration;
    draw.paintId = "accent";
    fragment.commands.push_back(draw);
    return fragment;
}

void Report(const char* step, const rava::OperationResult& result) {
    std::printf("%s: %s (revision %d) %s\n", step, result.accepted ? "accepted" : "refused", result.revision,
                result.message.c_str());
}

}  // namespace

int main() {
    rava::RetainedResourceStore store("main-window");
    const rava::RenderPaint accent{"accent", 40, 120, 220, 255, 6, 1, 100};

    // Bind: the delta brings every record the fragment's commands name.
    rava::ResourceDelta delta;
    delta.surface = "main-window";
    delta.paints = {accent};
    delta.images = {Thumbnail(1)};
    Report("bind", store.BindOwner(Button(1, 1), delta, store.Revision()));

    // Update: a newer image generation; the paint is already stored, so the
    // delta repeats it unchanged (identical records are accepted as known).
    delta.images = {Thumbnail(2)};
    Report("update", store.UpdateOwner(Button(2, 2), delta, store.Revision()));
    std::printf("%s\n", store.Diagnostics().c_str());

    // Refusal: a record may not change under an identity the store knows.
    // Every check runs before the first write, so nothing changes.
    rava::ResourceDelta recolour = delta;
    recolour.paints[0].red = 250;
    const std::string before = store.Diagnostics();
    const rava::OperationResult refused = store.UpdateOwner(Button(3, 2), recolour, store.Revision());
    Report("recolour", refused);
    std::printf("store unchanged: %s\n", store.Diagnostics() == before ? "yes" : "no");
    return refused.accepted ? 1 : 0;
}
