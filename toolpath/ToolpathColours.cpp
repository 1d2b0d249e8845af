#include "toolpath/ToolpathColours.h"

namespace toolpath {

namespace {

// Sixteen hues far apart from one another, then the same at lower value.
constexpr std::array<glm::vec4, kRangeColours> kRangeTable = {{
    {0.12f, 0.47f, 0.71f, 1.0f}, {1.00f, 0.50f, 0.05f, 1.0f}, {0.17f, 0.63f, 0.17f, 1.0f}, {0.84f, 0.15f, 0.16f, 1.0f},
    {0.58f, 0.40f, 0.74f, 1.0f}, {0.55f, 0.34f, 0.29f, 1.0f}, {0.89f, 0.47f, 0.76f, 1.0f}, {0.50f, 0.50f, 0.50f, 1.0f},
    {0.74f, 0.74f, 0.13f, 1.0f}, {0.09f, 0.75f, 0.81f, 1.0f}, {0.06f, 0.29f, 0.45f, 1.0f}, {0.65f, 0.33f, 0.02f, 1.0f},
    {0.09f, 0.40f, 0.09f, 1.0f}, {0.55f, 0.07f, 0.08f, 1.0f}, {0.36f, 0.22f, 0.49f, 1.0f}, {0.05f, 0.48f, 0.52f, 1.0f},
}};

const ToolpathColours kLight = {
    {0.10f, 0.30f, 0.85f, 1.0f},  // cut
    {0.05f, 0.60f, 0.20f, 1.0f},  // arc
    {0.90f, 0.15f, 0.10f, 1.0f},  // rapid
    {0.05f, 0.05f, 0.05f, 1.0f},  // point
    {0.55f, 0.10f, 0.65f, 1.0f},  // vector
    {0.95f, 0.35f, 0.10f, 1.0f},  // tool tint
    {0.95f, 0.75f, 0.05f, 1.0f},  // tool section outline
    {0.90f, 0.05f, 0.60f, 1.0f},  // selected move ends
    {0.10f, 0.20f, 0.95f, 1.0f},  // lowest value
    {0.10f, 0.80f, 0.20f, 1.0f},  // middle value
    {0.95f, 0.15f, 0.10f, 1.0f},  // highest value
    kRangeTable,
};

const ToolpathColours kDark = {
    {0.35f, 0.65f, 1.00f, 1.0f},
    {0.35f, 0.90f, 0.45f, 1.0f},
    {1.00f, 0.40f, 0.35f, 1.0f},
    {0.95f, 0.95f, 0.95f, 1.0f},
    {0.85f, 0.55f, 1.00f, 1.0f},
    {1.00f, 0.55f, 0.25f, 1.0f},
    {1.00f, 0.85f, 0.20f, 1.0f},
    {1.00f, 0.40f, 0.85f, 1.0f},
    {0.30f, 0.45f, 1.00f, 1.0f},
    {0.30f, 0.95f, 0.40f, 1.0f},
    {1.00f, 0.35f, 0.30f, 1.0f},
    kRangeTable,
};

}  // namespace

const ToolpathColours& toolpathColours(bool dark) { return dark ? kDark : kLight; }

}  // namespace toolpath
