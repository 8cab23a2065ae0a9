// store_references: which resource table each command field refers to. One
// owner's commands use every kind the store interprets (a transform and a clip
// pushed and popped, an image, two glyph alpha masks, one of them optional and
// absent); the program prints each command row's resolved references. Then an
// owner's fixed command range: an update with one more command is refused,
// and the two ways a client grows an owner instead.
#include <rava/retained/retained_store.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string kSurface = "main-window";

// A glyph alpha mask is named by the sha256 of its content: "sha256:" and 64
// hexadecimal digits. This one is 4 x 2 A8 coverage bytes, rows packed.
const std::string kGlyphE = "sha256:" + std::string(64, 'e');
const std::string kGlyphMissing = "sha256:" + std::string(64, '0');

rava::RenderGlyphAlpha GlyphE() {
    rava::RenderGlyphAlpha glyph;
    glyph.id = kGlyphE;
    glyph.width = 4;
    glyph.height = 2;
    glyph.rowBytes = 4;                        // must equal width
    glyph.sizeBytes = 8;                       // width * height, 1..524288
    glyph.format = "a8-unorm-hex";             // the only format
    glyph.payloadHex = "00FF80FF" "FF8000FF";  // sizeBytes * 2 hexadecimal digits
    glyph.source = "rasterizer";               // required, any non-empty text
    return glyph;
}

rava::RenderImage Icon(int32_t generation) {
    rava::RenderImage image;
    image.id = "icon";
    image.kind = "image";  // the only kind
    image.generation = generation;
    image.width = 1;
    image.height = 1;
    image.sizeBytes = 4;           // width * height * 4 when ready
    image.format = "bgra8-hex";    // the only format
    image.colorSpace = "srgb";     // or linear-srgb, display-p3, rec2020
    image.alphaMode = "straight";  // the only mode
    image.state = "ready";         // or loading, empty, error (no pixels then)
    image.resident = true;
    image.contentIdentity = "icon-" + std::to_string(generation);
    image.payloadHex = generation == 1 ? "336699FF" : "996633FF";
    image.source = "decoder";
    return image;
}

rava::RenderFragment Fragment(const std::string& id, int32_t generation, std::vector<rava::RenderCommand> commands) {
    rava::RenderFragment fragment;
    fragment.id = id;
    fragment.generation = generation;
    fragment.layoutBounds = fragment.inkBounds = {0, 0, 200, 40};
    fragment.dependencyKey1 = "theme";  // all five keys and the source are required
    fragment.dependencyKey2 = "text";
    fragment.dependencyKey3 = "font";
    fragment.dependencyKey4 = "scale";
    fragment.dependencyKey5 = "state";
    fragment.dependencySource = "layout";
    fragment.source = "references-example";
    fragment.commands = std::move(commands);
    return fragment;
}

rava::ResourceDelta Delta() {
    rava::ResourceDelta delta;
    delta.surface = kSurface;  // must equal the store's surface
    return delta;
}

rava::RenderCommand Command(int32_t sequence, const std::string& owner, const std::string& kind,
                            const std::string& paintId = "") {
    rava::RenderCommand command;
    command.sequence = sequence;
    command.owner = owner;
    command.kind = kind;
    command.paintId = paintId;
    return command;
}

// The owner "label", sequences 100 to 107; each command's owner repeats the
// fragment id or extends it after a dot.
std::vector<rava::RenderCommand> LabelCommands(int32_t iconGeneration) {
    std::vector<rava::RenderCommand> c;
    for (int32_t i = 0; i < 8; ++i) c.push_back(Command(100 + i, "label", ""));
    c[0].kind = "transformPush";  // transformId -> transform table
    c[0].transformId = "offset";
    c[1].kind = "clipPush";  // clipId -> clip table
    c[1].clipId = "panel";
    c[2].kind = "rect";  // a kind the store does not interpret: only its paint
    c[2].paintId = "accent";
    c[3].kind = "image";  // resourceId + imageGeneration -> image table
    c[3].resourceId = "icon";
    c[3].imageGeneration = iconGeneration;
    c[3].owner = "label.icon";
    c[4].kind = "glyphAlpha";  // resourceId -> glyph table
    c[4].resourceId = kGlyphE;
    c[4].paintId = "accent";
    c[5].kind = "glyphAlpha";  // absent but optional: no reference, no refusal
    c[5].resourceId = kGlyphMissing;
    c[5].paintId = "accent";
    c[5].glyphOptional = true;
    c[6].kind = "clipPop";
    c[7].kind = "transformPop";
    c[7].transformId = "identity";  // built in, never stored: no reference
    return c;
}

void PrintReferences(const rava::RetainedResourceStore& store, const std::vector<rava::RenderCommand>& commands) {
    std::printf("row kind          paint image glyph clip transform\n");
    for (int32_t row = 0; row < static_cast<int32_t>(commands.size()); ++row) {
        std::printf("%3d %-13s %5d %5d %5d %4d %9d\n", row, commands[row].kind.c_str(), store.CommandPaintRef(row),
                    store.CommandImageRef(row), store.CommandGlyphRef(row), store.CommandClipRef(row),
                    store.CommandTransformRef(row));
    }
}

void Report(const char* step, const rava::OperationResult& result) {
    std::printf("%s: %s\n", step, result.message.c_str());
}

}  // namespace

int main() {
    rava::RetainedResourceStore store(kSurface);

    // The delta brings every resource the commands name that the store does
    // not hold yet: paints, images, glyph alpha masks, clips, transforms.
    rava::ResourceDelta delta = Delta();
    delta.paints = {{"accent", 40, 120, 220, 255, 6, 1, 100}};  // id, r, g, b, a, radius, border, opacity
    delta.images = {Icon(1)};
    delta.glyphs = {GlyphE()};
    delta.clips = {{"panel", 0, 0, 200, 40, 4}};                 // id, x, y, width, height, radius
    delta.transforms = {{"offset", 12, 8, 100, 100, 0}};         // id, dx, dy, scale x %, scale y %, rotation
    const std::vector<rava::RenderCommand> commands = LabelCommands(1);
    Report("bind label", store.BindOwner(Fragment("label", 1, commands), delta, store.Revision()));
    PrintReferences(store, commands);

    // The glyph row's reference is the glyph table row, so the mask is found
    // again through the store.
    const int32_t glyphRow = store.CommandGlyphRef(4);
    std::printf("glyph row %d holds %s (%dx%d)\n", glyphRow, store.ReadStoredGlyph(glyphRow).id.substr(0, 15).c_str(),
                store.ReadStoredGlyph(glyphRow).width, store.ReadStoredGlyph(glyphRow).height);

    // An owner's command range (first to last sequence, here 100..107) and
    // its command count are fixed for its life: one more command is refused.
    std::vector<rava::RenderCommand> longer = LabelCommands(1);
    longer.push_back(Command(108, "label", "rect", "accent"));
    Report("grow label", store.UpdateOwner(Fragment("label", 2, longer), Delta(), store.Revision()));

    // Instead (1): reserve room. An owner bound with spare commands of a kind
    // the store does not interpret later fills them in, keeping sequences.
    std::vector<rava::RenderCommand> list = {Command(200, "list", "rect", "accent"), Command(201, "list", "spare"),
                                             Command(202, "list", "spare")};
    Report("bind list", store.BindOwner(Fragment("list", 1, list), Delta(), store.Revision()));
    list[1] = Command(201, "list", "rect", "accent");
    Report("fill list", store.UpdateOwner(Fragment("list", 2, list), Delta(), store.Revision()));

    // Instead (2): a new owner with a fresh, non-overlapping range. The old
    // owner stays bound (owners are removed only by Close).
    std::vector<rava::RenderCommand> wider = LabelCommands(1);
    for (rava::RenderCommand& command : wider) {
        command.sequence += 200;  // 300..307, then 308
        command.owner = command.owner == "label" ? "label-2" : "label-2.icon";
    }
    wider.push_back(Command(308, "label-2", "rect", "accent"));
    Report("bind label-2", store.BindOwner(Fragment("label-2", 1, wider), Delta(), store.Revision()));

    // A new image generation adds a row; the old generation's row and payload
    // stay until Close.
    delta = Delta();
    delta.images = {Icon(2)};
    Report("icon 2", store.UpdateOwner(Fragment("label", 2, LabelCommands(2)), delta, store.Revision()));
    std::printf("owners %d, images %d, payload %d bytes\n", store.OwnerCount(), store.ImageCount(),
                store.PayloadBytes());
    store.Close();
    std::printf("after Close: owners %d, images %d, payload %d bytes\n", store.OwnerCount(), store.ImageCount(),
                store.PayloadBytes());
    return 0;
}
