// Window pixels saved as PNG read back unchanged, so snapshots show what the tests checked.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include "gui/platform/memory/png_writer.h"

namespace {

TEST(GuiPngWriter, RoundTripsEveryPixel) {
    gui_platform::Image image(7, 5);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            image.setPixel(x, y, GuiColor{uint8_t(x * 36), uint8_t(y * 60), uint8_t(x ^ y), 0});
    const std::string path = ::testing::TempDir() + "gui_png_round_trip.png";
    ASSERT_TRUE(gui_platform::writePng(image, path));

    int width = 0, height = 0, channels = 0;
    unsigned char* read = stbi_load(path.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(read), 7 * 5 * 3),
              std::string(image.rgb.begin(), image.rgb.end()));
    stbi_image_free(read);
    std::remove(path.c_str());

    EXPECT_FALSE(gui_platform::writePng(gui_platform::Image(), path));
}

}  // namespace
