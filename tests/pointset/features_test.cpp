#include "pointset/features.h"
#include <gtest/gtest.h>
TEST(Features, Builds) {
    EXPECT_TRUE(true);
}
