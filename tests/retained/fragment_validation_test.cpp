// Fragment validation: each rule's boundaries and exact message, and that
// the first failing rule decides.
#include <gtest/gtest.h>

#include "retained_test_support.h"

namespace rava {
namespace {

using namespace rava::testing;

RenderFragment WithKinds(std::initializer_list<const char*> kinds) {
    RenderFragment f = Fragment("row", 1, 0, 0);
    int32_t seq = 0;
    for (const char* k : kinds) f.commands.push_back(Command("row", seq++, k));
    return f;
}

const std::string kIdentity = "retained owner fragment requires bounded identity, positive generation, and source";
const std::string kDependency =
    "fragment row: retained fragment dependency signature requires five nonempty keys and a source";
const std::string kContain = "fragment row ink bounds must contain its layout bounds";
const std::string kPositive = "fragment row requires positive layout and ink bounds";
const std::string kCount = "fragment row requires 1..4096 commands";
const std::string kUnderflow = "fragment row contains an underflowing local stack";

TEST(FragmentValidation, EachRuleAtItsBoundaries) {
    using F = RenderFragment;
    ExpectMessages<F>(Fragment("row"), ValidateFragment, {
        {[](F& f) { f = Fragment(std::string(128, 'r')); }, ""},
        {[](F& f) { f = Fragment(std::string(129, 'r')); }, kIdentity},
        {[](F& f) { f = Fragment(""); }, kIdentity},
        {[](F& f) { f.generation = 0; }, kIdentity},
        {[](F& f) { f.generation = INT32_MIN; }, kIdentity},
        {[](F& f) { f.source.clear(); }, kIdentity},
        {[](F& f) { f.layoutBounds.width = -1; }, "fragment row layout bounds exceeds bounded retained geometry"},
        {[](F& f) { f.layoutBounds.width = 0; }, kPositive},
        {[](F& f) { f.inkBounds.x = 1000001; }, "fragment row ink bounds exceeds bounded retained geometry"},
        {[](F& f) { f.inkBounds.height = 0; }, kPositive},
        // Extreme but in-range rectangles: the containment sums stay in range.
        {[](F& f) { f.layoutBounds = f.inkBounds = {1000000, 1000000, 1000000, 1000000}; }, ""},
        {[](F& f) { f.inkBounds = {-5, -5, 110, 60}; }, ""},
        {[](F& f) { f.inkBounds = {0, 0, 99, 50}; }, kContain},
        {[](F& f) { f.inkBounds = {1, 0, 100, 50}; }, kContain},
        {[](F& f) { f.inkBounds = {0, 0, 100, 49}; }, kContain},
        {[](F& f) { f.dependencySource.clear(); }, kDependency},
        {[](F& f) { f.dependencyKey5.clear(); }, kDependency},
        {[](F& f) { f.dependencyKey1.clear(); }, kDependency},
        {[](F& f) { f = Fragment("row", 1, 0, 0); }, kCount},
        {[](F& f) { f = Fragment("row", 1, 0, 4096); }, ""},
        {[](F& f) { f = Fragment("row", 1, 0, 4097); }, kCount},
        {[](F& f) { f = WithKinds({"transformPush", "clipPush", "clipPop", "transformPop"}); }, ""},
        {[](F& f) { f = WithKinds({"transformPush", "clipPush", "transformPop", "clipPop"}); }, ""},
        {[](F& f) { f = WithKinds({"clipPop", "clipPush"}); }, kUnderflow},
        {[](F& f) { f = WithKinds({"transformPush", "transformPop", "transformPop", "transformPush"}); }, kUnderflow},
        {[](F& f) { f = WithKinds({"transformPush"}); }, "fragment row must balance transform and clip state locally"},
        {[](F& f) { f = WithKinds({"clippush", "ClipPop"}); }, ""},  // kinds compare byte for byte
    });
}

TEST(FragmentValidation, BoundedGeometryLimitsAreInclusive) {
    const std::string exceeds = "L exceeds bounded retained geometry";
    const std::pair<RenderBounds, std::string> rows[] = {{{1000000, -1000000, 1000000, 0}, ""},
                                                         {{1000001, 0, 1, 1}, exceeds},
                                                         {{0, -1000001, 1, 1}, exceeds},
                                                         {{0, 0, 1000001, 1}, exceeds},
                                                         {{0, 0, 1, -1}, exceeds}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(CheckRetainedGeometry("L", rows[i].first), rows[i].second) << i;
    }
    EXPECT_EQ(CheckRetainedGeometry("{0}", {INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}),
              "{0} exceeds bounded retained geometry");
}

TEST(FragmentValidation, CommandOwnersAreTheIdOrDottedSuffixes) {
    const std::pair<const char*, bool> owners[] = {{"row", true},   {"row.icon", true}, {"row.a.b", true},
                                                   {"row.", true},  {"rowx", false},    {"row2", false},
                                                   {"ro", false},   {"", false},        {"Row", false},
                                                   {".row", false}};
    for (const auto& [owner, own] : owners) {
        RenderFragment f = Fragment("row");
        f.commands[0].owner = owner;
        EXPECT_EQ(ValidateFragment(f), own ? "" : std::string("fragment row contains foreign command owner ") + owner)
            << owner;
    }
    // Placeholder-looking ids are carried as they are.
    RenderFragment f = Fragment("{0}");
    f.commands[0].owner = "{1}";
    EXPECT_EQ(ValidateFragment(f), "fragment {0} contains foreign command owner {1}");
}

TEST(FragmentValidation, FirstFailingRuleDecides) {
    RenderFragment f = WithKinds({"clipPop", "rect"});
    f.commands[1].owner = "other";
    EXPECT_EQ(ValidateFragment(f), kUnderflow);
    f.dependencyKey2.clear();
    EXPECT_EQ(ValidateFragment(f), kDependency);
    f.inkBounds.width = 10;
    EXPECT_EQ(ValidateFragment(f), kContain);
    f.layoutBounds.x = -2000000;
    EXPECT_EQ(ValidateFragment(f), "fragment row layout bounds exceeds bounded retained geometry");
    f.generation = 0;
    EXPECT_EQ(ValidateFragment(f), kIdentity);
}

}  // namespace
}  // namespace rava
