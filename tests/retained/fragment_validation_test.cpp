// Fragment validation: each rule's boundaries and exact message, and that
// the first failing rule decides.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

const char* kIdentityMessage = "retained owner fragment requires bounded identity, positive generation, and source";

RenderFragment WithKinds(std::initializer_list<const char*> kinds) {
    RenderFragment f = Fragment("row", 1, 0, 0);
    int32_t seq = 0;
    for (const char* k : kinds) f.commands.push_back(Command("row", seq++, k));
    return f;
}

TEST(FragmentValidation, IdentityGenerationAndSource) {
    EXPECT_EQ(ValidateFragment(Fragment(std::string(128, 'r'))), "");
    EXPECT_EQ(ValidateFragment(Fragment(std::string(129, 'r'))), kIdentityMessage);
    EXPECT_EQ(ValidateFragment(Fragment("")), kIdentityMessage);
    EXPECT_EQ(ValidateFragment(Fragment("row", 0)), kIdentityMessage);
    EXPECT_EQ(ValidateFragment(Fragment("row", INT32_MIN)), kIdentityMessage);
    RenderFragment f = Fragment("row");
    f.source.clear();
    EXPECT_EQ(ValidateFragment(f), kIdentityMessage);
}

TEST(FragmentValidation, BoundedGeometryLimitsAreInclusive) {
    EXPECT_EQ(CheckRetainedGeometry("L", {1000000, -1000000, 1000000, 0}), "");
    EXPECT_EQ(CheckRetainedGeometry("L", {1000001, 0, 1, 1}), "L exceeds bounded retained geometry");
    EXPECT_EQ(CheckRetainedGeometry("L", {0, -1000001, 1, 1}), "L exceeds bounded retained geometry");
    EXPECT_EQ(CheckRetainedGeometry("L", {0, 0, 1000001, 1}), "L exceeds bounded retained geometry");
    EXPECT_EQ(CheckRetainedGeometry("L", {0, 0, 1, -1}), "L exceeds bounded retained geometry");
    EXPECT_EQ(CheckRetainedGeometry("{0}", {INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}),
              "{0} exceeds bounded retained geometry");

    RenderFragment f = Fragment("row");
    f.layoutBounds.width = -1;
    EXPECT_EQ(ValidateFragment(f), "fragment row layout bounds exceeds bounded retained geometry");
    f.layoutBounds.width = 0;
    EXPECT_EQ(ValidateFragment(f), "fragment row requires positive layout and ink bounds");
    f = Fragment("row");
    f.inkBounds.x = 1000001;
    EXPECT_EQ(ValidateFragment(f), "fragment row ink bounds exceeds bounded retained geometry");
    f = Fragment("row");
    f.inkBounds.height = 0;
    EXPECT_EQ(ValidateFragment(f), "fragment row requires positive layout and ink bounds");
    // Extreme but in-range rectangles: the containment sums stay in range.
    f = Fragment("row");
    f.layoutBounds = f.inkBounds = {1000000, 1000000, 1000000, 1000000};
    EXPECT_EQ(ValidateFragment(f), "");
}

TEST(FragmentValidation, InkMustContainLayout) {
    RenderFragment f = Fragment("row");
    f.inkBounds = {-5, -5, 110, 60};
    EXPECT_EQ(ValidateFragment(f), "");
    f.inkBounds = {0, 0, 99, 50};
    EXPECT_EQ(ValidateFragment(f), "fragment row ink bounds must contain its layout bounds");
    f.inkBounds = {1, 0, 100, 50};
    EXPECT_EQ(ValidateFragment(f), "fragment row ink bounds must contain its layout bounds");
    f.inkBounds = {0, 0, 100, 49};
    EXPECT_EQ(ValidateFragment(f), "fragment row ink bounds must contain its layout bounds");
}

TEST(FragmentValidation, DependencySignatureNeedsFiveKeysAndSource) {
    const std::string message =
        "fragment row: retained fragment dependency signature requires five nonempty keys and a source";
    RenderFragment f = Fragment("row");
    f.dependencySource.clear();
    EXPECT_EQ(ValidateFragment(f), message);
    f = Fragment("row");
    f.dependencyKey5.clear();
    EXPECT_EQ(ValidateFragment(f), message);
    f = Fragment("row");
    f.dependencyKey1.clear();
    EXPECT_EQ(ValidateFragment(f), message);
}

TEST(FragmentValidation, CommandCountOneThrough4096) {
    EXPECT_EQ(ValidateFragment(Fragment("row", 1, 0, 0)), "fragment row requires 1..4096 commands");
    EXPECT_EQ(ValidateFragment(Fragment("row", 1, 0, 4096)), "");
    EXPECT_EQ(ValidateFragment(Fragment("row", 1, 0, 4097)), "fragment row requires 1..4096 commands");
}

TEST(FragmentValidation, CommandOwnersAreTheIdOrDottedSuffixes) {
    for (const char* owner : {"row", "row.icon", "row.a.b", "row."}) {
        RenderFragment f = Fragment("row");
        f.commands[0].owner = owner;
        EXPECT_EQ(ValidateFragment(f), "") << owner;
    }
    for (const char* owner : {"rowx", "row2", "ro", "", "Row", ".row"}) {
        RenderFragment f = Fragment("row");
        f.commands[0].owner = owner;
        EXPECT_EQ(ValidateFragment(f), std::string("fragment row contains foreign command owner ") + owner) << owner;
    }
    // Placeholder-looking ids are carried as they are.
    RenderFragment f = Fragment("{0}");
    f.commands[0].owner = "{1}";
    EXPECT_EQ(ValidateFragment(f), "fragment {0} contains foreign command owner {1}");
}

TEST(FragmentValidation, StacksBalanceLocally) {
    EXPECT_EQ(ValidateFragment(WithKinds({"transformPush", "clipPush", "clipPop", "transformPop"})), "");
    EXPECT_EQ(ValidateFragment(WithKinds({"transformPush", "clipPush", "transformPop", "clipPop"})), "");
    EXPECT_EQ(ValidateFragment(WithKinds({"clipPop", "clipPush"})), "fragment row contains an underflowing local stack");
    EXPECT_EQ(ValidateFragment(WithKinds({"transformPush", "transformPop", "transformPop", "transformPush"})),
              "fragment row contains an underflowing local stack");
    EXPECT_EQ(ValidateFragment(WithKinds({"transformPush"})),
              "fragment row must balance transform and clip state locally");
    EXPECT_EQ(ValidateFragment(WithKinds({"clippush", "ClipPop"})), "");  // kinds compare byte for byte
}

TEST(FragmentValidation, FirstFailingRuleDecides) {
    RenderFragment f = WithKinds({"clipPop", "rect"});
    f.commands[1].owner = "other";
    EXPECT_EQ(ValidateFragment(f), "fragment row contains an underflowing local stack");
    f.dependencyKey2.clear();
    EXPECT_EQ(ValidateFragment(f),
              "fragment row: retained fragment dependency signature requires five nonempty keys and a source");
    f.inkBounds.width = 10;
    EXPECT_EQ(ValidateFragment(f), "fragment row ink bounds must contain its layout bounds");
    f.layoutBounds.x = -2000000;
    EXPECT_EQ(ValidateFragment(f), "fragment row layout bounds exceeds bounded retained geometry");
    f.generation = 0;
    EXPECT_EQ(ValidateFragment(f), kIdentityMessage);
}

}  // namespace
}  // namespace rava
