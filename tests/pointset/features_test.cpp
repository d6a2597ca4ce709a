#include "pointset/pointset.h"
#include <gtest/gtest.h>
TEST(Features, Builds) {
    EXPECT_TRUE(true);
}
