#include <gtest/gtest.h>

#include <cstring>

#include "motion/force_mode_names.h"

namespace {

TEST(ForceModeNames, MenuItemMinusTwoIsTheStoredMode) {
    const struct {
        int32_t mode;
        const char* name;
    } cases[] = {
        {-1, "Random Selection"}, {0, "Cycle Selection"}, {1, "Chaos"},        {2, "Pipes"},
        {3, "Wiggle"},            {4, "Wiggly Walk"},     {5, "Random Walk"},  {6, "Wandering Swirls"},
        {7, "Follow Edges"},      {8, "Gravity"},         {9, "Edge Repulse"}, {10, "Kinks"},
        {11, "Cross Edges Flow"}, {12, "Moving Orbit"},   {13, "MultiChaos"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(ForceModeName(c.mode), nullptr) << c.mode;
        EXPECT_STREQ(ForceModeName(c.mode), c.name);
        EXPECT_EQ(FindForceMode(c.mode)->menuId, c.mode + 2);
    }
}

TEST(ForceModeNames, ValuesOutsideTheMenuHaveNoName) {
    for (int32_t mode : {-2, 14, 100, -1000}) EXPECT_EQ(ForceModeName(mode), nullptr) << mode;
}

}  // namespace
