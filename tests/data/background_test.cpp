// The delivered graph background is the picture graph_background.cpp draws, byte for byte,
// and it fits the graph: 310 × 190 pixels, 24 bits per pixel.
#include <gtest/gtest.h>

#include <filesystem>

#include "graph_background.h"
#include "test_util.h"

namespace fs = std::filesystem;

TEST(GraphBackground, ShippedFileIsAFreshBuildOfIt) {
    const fs::path shipped = fs::path(KOTOPA_SOURCE_DIR) / "data" / "system" / "Glaph.bmp";
    ASSERT_TRUE(fs::exists(shipped)) << shipped;
    const std::string fresh = kotopa::GraphBackgroundBmp();
    EXPECT_TRUE(testutil::ReadBytes(shipped) == fresh)
        << "data/system/Glaph.bmp is not what resources/gen draws; rebuild it with "
           "make_resources (see resources/gen/make_resources.cpp)";
    ASSERT_GE(fresh.size(), 54u);
    EXPECT_EQ(fresh.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(fresh[18]) | static_cast<unsigned char>(fresh[19]) << 8,
              310);
    EXPECT_EQ(static_cast<unsigned char>(fresh[22]) | static_cast<unsigned char>(fresh[23]) << 8,
              190);
    EXPECT_EQ(fresh[28], 24);
}
