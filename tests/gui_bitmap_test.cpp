// GuiBitmap: loading by number, reference counts, plain and colour-keyed block copies, and the
// BMP reader behind the embedded skin.
#include <vector>

#include "gui/bitmap.h"
#include "gui/platform/raster/bmp_reader.h"
#include "tests/gui_draw_support.h"

// Reaches the count of a bitmap that is still alive, to show a drop at 0 does nothing.
class GuiBitmapTestAccess {
public:
    static void setCount(GuiBitmap& bitmap, int32_t count) { bitmap.referenceCount = count; }
};

namespace {

using gui_draw_test::kBackdrop;
using gui_draw_test::SurfaceFixture;
using gui_platform::Image;
namespace memory = gui_platform::memory;

constexpr int32_t kPicture = 4101;
constexpr int32_t kMissing = 4999;

// A 4 x 3 picture whose every pixel is distinct: (10 * x + 1, 10 * y + 1, 200).
Image numberedPicture() {
    Image image(4, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            image.setPixel(x, y, GuiColor{uint8_t(10 * x + 1), uint8_t(10 * y + 1), 200, 0});
    return image;
}

class GuiBitmapTest : public SurfaceFixture {
protected:
    void SetUp() override {
        SurfaceFixture::SetUp();
        memory::registerBitmap(kPicture, numberedPicture());
        memory::registerBitmap(kMissing, Image());
    }
    // Pixels of the window outside the block [x0, x0 + w) x [y0, y0 + h) still show the backdrop.
    void expectUntouchedOutside(int32_t x0, int32_t y0, int32_t w, int32_t h) {
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 64; ++x)
                if (x < x0 || x >= x0 + w || y < y0 || y >= y0 + h) {
                    EXPECT_FALSE(touched(x, y)) << x << "," << y;
                }
    }
};

TEST_F(GuiBitmapTest, LoadsByTheLow16BitsOfItsNumber) {
    GuiBitmap* bitmap = new GuiBitmap(0x30000 + kPicture);
    EXPECT_EQ(bitmap->getWidth(), 4);
    EXPECT_EQ(bitmap->getHeight(), 3);
    EXPECT_EQ(bitmap->getResourceId(), 0x30000 + kPicture);
    EXPECT_TRUE(bitmap->getTransparentColor().sameRgb(colorTransparentDefault));
    bitmap->dropReference();
}

TEST_F(GuiBitmapTest, MissingResourceIsEmptyAndDrawsNothing) {
    GuiBitmap* bitmap = new GuiBitmap(kMissing);
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_EQ(bitmap->getHeight(), 0);
    bitmap->draw(context.get(), GuiRect{0, 0, 10, 10}, GuiPoint{0, 0});
    bitmap->drawTransparent(context.get(), GuiRect{0, 0, 10, 10}, GuiPoint{0, 0});
    EXPECT_EQ(touchedCount(), 0);
    bitmap->dropReference();
}

TEST_F(GuiBitmapTest, ReferenceCountsDestroyAtTheLastDrop) {
    const int32_t before = GuiBitmap::liveCount();
    GuiBitmap* bitmap = new GuiBitmap(kPicture);
    EXPECT_EQ(bitmap->getReferenceCount(), 1);
    bitmap->addReference();
    bitmap->addReference();
    EXPECT_EQ(bitmap->dropReference(), 2);
    EXPECT_EQ(bitmap->dropReference(), 1);
    EXPECT_EQ(GuiBitmap::liveCount(), before + 1);
    EXPECT_EQ(bitmap->dropReference(), 0);
    EXPECT_EQ(GuiBitmap::liveCount(), before);
}

TEST_F(GuiBitmapTest, DropAtZeroDoesNothing) {
    const int32_t before = GuiBitmap::liveCount();
    GuiBitmap* bitmap = new GuiBitmap(kPicture);
    GuiBitmapTestAccess::setCount(*bitmap, 0);
    EXPECT_EQ(bitmap->dropReference(), 0);
    GuiBitmapTestAccess::setCount(*bitmap, -2);
    EXPECT_EQ(bitmap->dropReference(), -2);
    EXPECT_EQ(GuiBitmap::liveCount(), before + 1);  // still alive
    GuiBitmapTestAccess::setCount(*bitmap, 1);
    EXPECT_EQ(bitmap->dropReference(), 0);
    EXPECT_EQ(GuiBitmap::liveCount(), before);
}

TEST_F(GuiBitmapTest, DrawCopiesTheBlockAtTheOffset) {
    GuiBitmap* bitmap = new GuiBitmap(kPicture);
    context->offset = GuiPoint{3, 2};
    bitmap->draw(context.get(), GuiRect{10, 10, 12, 12}, GuiPoint{1, 1});
    const Image picture = numberedPicture();
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 2; ++x)
            EXPECT_TRUE(at(13 + x, 12 + y).sameRgb(picture.pixel(1 + x, 1 + y))) << x << "," << y;
    expectUntouchedOutside(13, 12, 2, 2);
    bitmap->dropReference();
}

// A block reaching past the image copies only what lies inside and reads nothing outside.
TEST_F(GuiBitmapTest, BlockReachingPastTheImageCopiesOnlyItsInside) {
    GuiBitmap* bitmap = new GuiBitmap(kPicture);
    const Image picture = numberedPicture();
    struct Case { GuiPoint source; int32_t w, h; GuiPoint firstInside; int32_t insideW, insideH; };
    const Case cases[] = {
        {{3, 2}, 3, 3, {3, 2}, 1, 1},      // past the right and bottom edges
        {{-2, -1}, 4, 3, {0, 0}, 2, 2},    // before the left and top edges
        {{0, 0}, 40, 30, {0, 0}, 4, 3},    // far larger than the image
        {{4, 0}, 2, 2, {0, 0}, 0, 0},      // wholly outside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "source " << c.source.h << "," << c.source.v);
        clear();
        bitmap->draw(context.get(), GuiRect{20, 20, 20 + c.w, 20 + c.h}, c.source);
        const int32_t destX = 20 + (c.firstInside.h - c.source.h);
        const int32_t destY = 20 + (c.firstInside.v - c.source.v);
        for (int32_t y = 0; y < c.insideH; ++y)
            for (int32_t x = 0; x < c.insideW; ++x)
                EXPECT_TRUE(at(destX + x, destY + y)
                                .sameRgb(picture.pixel(c.firstInside.h + x, c.firstInside.v + y)));
        expectUntouchedOutside(destX, destY, c.insideW, c.insideH);
    }
    bitmap->dropReference();
}

TEST_F(GuiBitmapTest, KnobStripFramesAreSelectedByOffset) {
    Image strip(2, 6);  // three frames of 2 x 2, one colour each
    const GuiColor frames[3] = {colorRed, colorGreen, colorBlue};
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 2; ++x) strip.setPixel(x, y, frames[y / 2]);
    memory::registerBitmap(4102, strip);
    GuiBitmap* bitmap = new GuiBitmap(4102);
    for (int32_t frame = 0; frame < 3; ++frame) {
        bitmap->draw(context.get(), GuiRect{0, 0, 2, 2}, GuiPoint{0, frame * 2});
        EXPECT_TRUE(at(0, 0).sameRgb(frames[frame]));
        EXPECT_TRUE(at(1, 1).sameRgb(frames[frame]));
        EXPECT_FALSE(touched(2, 0));
        EXPECT_FALSE(touched(0, 2));
    }
    bitmap->dropReference();
}

class GuiBitmapKeyTest : public GuiBitmapTest {
protected:
    // A 3 x 1 picture: key, key one unit off in one channel, other.
    void makeKeyed(GuiColor key, GuiColor nearKey, GuiColor other) {
        Image image(3, 1);
        image.setPixel(0, 0, key);
        image.setPixel(1, 0, nearKey);
        image.setPixel(2, 0, other);
        memory::registerBitmap(4103, image);
    }
};

TEST_F(GuiBitmapKeyTest, OnlyTheExactKeyColourIsLeftOut) {
    makeKeyed(colorWhite, GuiColor{255, 254, 255, 0}, colorRed);
    GuiBitmap* bitmap = new GuiBitmap(4103);
    bitmap->drawTransparent(context.get(), GuiRect{5, 5, 8, 6}, GuiPoint{0, 0});
    EXPECT_TRUE(at(5, 5).sameRgb(kBackdrop));
    EXPECT_TRUE(at(6, 5).sameRgb(GuiColor{255, 254, 255, 0}));
    EXPECT_TRUE(at(7, 5).sameRgb(colorRed));
    expectUntouchedOutside(6, 5, 2, 1);
    bitmap->dropReference();
}

TEST_F(GuiBitmapKeyTest, AllKeyBlockLeavesTheDestinationAndKeylessBlockActsAsDraw) {
    makeKeyed(colorYellow, colorYellow, colorYellow);
    GuiBitmap* keyed = new GuiBitmap(4103);
    keyed->setTransparentColor(GuiColor{255, 255, 0, 77});  // the fourth byte is ignored
    keyed->drawTransparent(context.get(), GuiRect{0, 0, 3, 1}, GuiPoint{0, 0});
    EXPECT_EQ(touchedCount(), 0);
    keyed->dropReference();

    GuiBitmap* plain = new GuiBitmap(kPicture);  // holds no white
    plain->drawTransparent(context.get(), GuiRect{0, 0, 4, 3}, GuiPoint{0, 0});
    const Image transparentCopy = memoryWindow->image();
    clear();
    plain->draw(context.get(), GuiRect{0, 0, 4, 3}, GuiPoint{0, 0});
    EXPECT_EQ(memoryWindow->image().rgb, transparentCopy.rgb);
    plain->dropReference();
}

TEST_F(GuiBitmapKeyTest, MaskIsFrozenAtTheFirstTransparentDraw) {
    makeKeyed(colorWhite, colorYellow, colorRed);
    GuiBitmap* bitmap = new GuiBitmap(4103);
    bitmap->drawTransparent(context.get(), GuiRect{0, 0, 3, 1}, GuiPoint{0, 0});
    bitmap->setTransparentColor(colorYellow);  // too late: the white mask stays
    clear();
    bitmap->drawTransparent(context.get(), GuiRect{0, 0, 3, 1}, GuiPoint{0, 0});
    EXPECT_TRUE(at(0, 0).sameRgb(kBackdrop));
    EXPECT_TRUE(at(1, 0).sameRgb(colorYellow));
    EXPECT_TRUE(at(2, 0).sameRgb(colorRed));
    bitmap->dropReference();

    // Set before the first transparent draw, the colour is the one left out.
    GuiBitmap* early = new GuiBitmap(4103);
    early->setTransparentColor(colorYellow);
    clear();
    early->drawTransparent(context.get(), GuiRect{0, 0, 3, 1}, GuiPoint{0, 0});
    EXPECT_TRUE(at(0, 0).sameRgb(colorWhite));
    EXPECT_TRUE(at(1, 0).sameRgb(kBackdrop));
    early->dropReference();
}

// BMP bytes as a paint program writes them: bottom-up rows of blue, green, red, each padded
// to four bytes.
std::vector<uint8_t> bmpFile(int32_t width, int32_t height, bool topDown, uint16_t bits = 24) {
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    std::vector<uint8_t> b(54 + stride * uint32_t(height), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(topDown ? -height : height));
    b[26] = 1;
    b[28] = uint8_t(bits);
    for (int32_t row = 0; row < height; ++row) {
        const int32_t y = topDown ? row : height - 1 - row;
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = &b[54 + stride * uint32_t(row) + uint32_t(x) * 3];
            p[0] = uint8_t(100 + y);  // blue
            p[1] = uint8_t(50 + x);   // green
            p[2] = uint8_t(10 * x + y);  // red
        }
    }
    return b;
}

TEST(GuiBmpReader, ReadsBothRowOrdersWithPadding) {
    for (bool topDown : {false, true}) {
        const std::vector<uint8_t> file = bmpFile(3, 2, topDown);  // 9 bytes a row, padded to 12
        Image image;
        ASSERT_TRUE(gui_platform::raster::readBmp(file.data(), file.size(), image));
        ASSERT_EQ(image.width, 3);
        ASSERT_EQ(image.height, 2);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x) {
                const GuiColor c = image.pixel(x, y);
                EXPECT_EQ(c.red, 10 * x + y);
                EXPECT_EQ(c.green, 50 + x);
                EXPECT_EQ(c.blue, 100 + y);
            }
    }
}

TEST(GuiBmpReader, RefusesDamagedOrOtherFiles) {
    std::vector<uint8_t> file = bmpFile(3, 2, false);
    Image image;
    EXPECT_FALSE(gui_platform::raster::readBmp(file.data(), file.size() - 1, image));  // short
    EXPECT_TRUE(image.empty());
    EXPECT_FALSE(gui_platform::raster::readBmp(file.data(), 30, image));
    EXPECT_FALSE(gui_platform::raster::readBmp(nullptr, 0, image));
    const std::vector<uint8_t> paletted = bmpFile(3, 2, false, 8);
    EXPECT_FALSE(gui_platform::raster::readBmp(paletted.data(), paletted.size(), image));
    std::vector<uint8_t> huge = bmpFile(3, 2, false);
    huge[21] = 0x7F;  // width far beyond any skin, with no pixels behind it
    EXPECT_FALSE(gui_platform::raster::readBmp(huge.data(), huge.size(), image));
    std::vector<uint8_t> farOffset = bmpFile(3, 2, false);
    farOffset[13] = 0x7F;  // pixel data said to start past the end
    EXPECT_FALSE(gui_platform::raster::readBmp(farOffset.data(), farOffset.size(), image));
}

// The skin the module carries is found by number and parses as 24-bit images.
TEST(GuiBitmapEmbeddedSkin, EverySkinNumberLoads) {
    gui_platform::memory::reset();
    for (int32_t id : {101, 104, 105, 106, 107, 109, 110, 114}) {
        GuiBitmap* bitmap = new GuiBitmap(id);
        EXPECT_GT(bitmap->getWidth(), 0) << id;
        EXPECT_GT(bitmap->getHeight(), 0) << id;
        bitmap->dropReference();
    }
    GuiBitmap* missing = new GuiBitmap(102);
    EXPECT_EQ(missing->getWidth(), 0);
    missing->dropReference();
}

}  // namespace
