// How primitives become runs of the batched renderer: one run per texture
// and blend setting, fans as triangles around their centre, indices offset
// by each primitive's first vertex, and a full list refusing more.
#include <gtest/gtest.h>

#include <vector>

#include "host/gl/batch_renderer.h"

namespace rava {
namespace {

void Quad(BatchList& list, uint32_t texture, bool blend) {
    const BatchVertex corners[4] = {};
    ASSERT_TRUE(list.AddQuad(texture, blend, corners));
}

TEST(BatchList, RunsSplitOnlyWhereTextureOrBlendChange) {
    BatchList list;
    Quad(list, 1, false);
    Quad(list, 1, false);
    Quad(list, 7, true);  // glyphs
    Quad(list, 7, true);
    Quad(list, 7, false);
    Quad(list, 1, false);
    const auto& runs = list.Runs();
    ASSERT_EQ(runs.size(), 4u);
    const uint32_t expected[4][4] = {{1, 0, 0, 12}, {7, 1, 12, 12}, {7, 0, 24, 6}, {1, 0, 30, 6}};
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].texture, expected[i][0]);
        EXPECT_EQ(runs[i].blend, expected[i][1] != 0);
        EXPECT_EQ(runs[i].firstIndex, expected[i][2]);
        EXPECT_EQ(runs[i].indexCount, expected[i][3]);
    }
    EXPECT_EQ(list.Vertices().size(), 24u);
    const std::vector<uint16_t> second(list.Indices().begin() + 6, list.Indices().begin() + 12);
    EXPECT_EQ(second, (std::vector<uint16_t>{4, 5, 6, 4, 6, 7}));
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(list.Runs().empty());
}

TEST(BatchList, FanBecomesTrianglesAroundItsCentre) {
    BatchList list;
    Quad(list, 1, false);
    const BatchColor color{0.5f, 0.25f, 1.0f, 1.0f};
    const auto fan = RoundedRectFan(10, 20, 100, 38, 10);
    ASSERT_TRUE(list.AddFan(1, false, fan, color));
    ASSERT_EQ(list.Runs().size(), 1u);
    EXPECT_EQ(list.Runs()[0].indexCount, 6u + 3u * (fan.size() - 2));
    const auto& indices = list.Indices();
    EXPECT_EQ(indices[6], 4);  // the centre, after the quad's four vertices
    EXPECT_EQ(indices[7], 5);
    EXPECT_EQ(indices[8], 6);
    EXPECT_EQ(indices.back(), 4 + fan.size() - 1);
    EXPECT_EQ(list.Vertices()[4].x, fan[0].x);
    EXPECT_EQ(list.Vertices()[5].color.g, 0.25f);
    // Fewer than three points make no triangle and need no room.
    const FanPoint two[2] = {};
    EXPECT_TRUE(list.AddFan(1, false, two, color));
    EXPECT_EQ(list.Vertices().size(), 4u + fan.size());
}

TEST(BatchList, FullListRefusesUntilCleared) {
    BatchList list;
    for (uint32_t i = 0; i < BatchList::kMaxVertices / 4; ++i) Quad(list, 1, false);
    EXPECT_EQ(list.Indices().back(), BatchList::kMaxVertices - 1);  // the last index still fits 16 bits
    const BatchVertex corners[4] = {};
    EXPECT_FALSE(list.AddQuad(1, false, corners));
    const auto fan = RoundedRectFan(0, 0, 50, 50, 10);
    EXPECT_FALSE(list.AddFan(1, false, fan, BatchColor{}));
    EXPECT_EQ(list.Vertices().size(), BatchList::kMaxVertices);
    list.Clear();
    EXPECT_TRUE(list.AddQuad(1, false, corners));
}

}  // namespace
}  // namespace rava
