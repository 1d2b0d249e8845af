// The per-vertex projection record: its fields where the layout puts them,
// their precision, and their limits.
#include <gtest/gtest.h>

#include "enhance/ProjectionRecord.h"

namespace {

TEST(ProjectionRecord, FieldsSitWhereTheLayoutPutsThem) {
  // Zero displacement is 524,288 (0x80000) on every axis; normal (1, 0, -1)
  // is 4095, 2048, 0.
  const enhance::ProjectionWords words = enhance::encodeProjection({{0, 0, 0}, {1, 0, -1}, -1});
  EXPECT_EQ(words[0], 0x80000800u) << "x in bits 12-31, y's high 12 bits in 0-11";
  EXPECT_EQ(words[1], 0x0080000Fu) << "y's low 8 bits in 24-31, z in 4-23, normal x's high 4 bits in 0-3";
  EXPECT_EQ(words[2], 0xFF800000u) << "normal x's low 8 bits in 24-31, y in 12-23, z in 0-11";
  EXPECT_EQ(words[3], 0xFFFFFFFFu);
  const enhance::ProjectionWords dy = enhance::encodeProjection({{0, 0.00001, 0}, {1, 0, -1}, 7});
  EXPECT_EQ(dy[0], words[0]);
  EXPECT_EQ(dy[1], words[1] + (1u << 24)) << "one step of y is the lowest of its bits in word 1";
  EXPECT_EQ(dy[3], 7u);
}

TEST(ProjectionRecord, KeepsTenMicronsAndClampsAtItsLimits) {
  struct Case {
    enhance::Projection given;
    glm::dvec3 displacement, normal;
  };
  const Case cases[] = {
      {{{1.23456, -2.5, 0.00004}, {0.6, -0.8, 0}, 3}, {1.23456, -2.5, 0.00004}, {0.6, -0.8, 0}},
      {{{9, -9, 5.3}, {1.5, -2, 0}, 0}, {5.24287, -5.24288, 5.24287}, {1, -1, 0}},
  };
  for (const Case& c : cases) {
    const enhance::Projection back = enhance::decodeProjection(enhance::encodeProjection(c.given));
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(back.displacement[k], c.displacement[k], 5.1e-6) << k;
      EXPECT_NEAR(back.normal[k], c.normal[k], 0.5 / 2047.5) << k;
    }
    EXPECT_EQ(back.source, c.given.source);
  }
  EXPECT_EQ(enhance::encodeDistance(0.25), -2'500'000);
  EXPECT_EQ(enhance::encodeDistance(-1e9), 2'140'000'000) << "clamped so that it fits";
  EXPECT_EQ(enhance::encodeDistance(1e9), -2'140'000'000);
  EXPECT_LT(enhance::encodeDistance(-0.001), enhance::encodeDistance(-0.002)) << "the nearer surface wins";
}

}  // namespace
