// The memory back end as the toolkit sees it: repaint requests, presses, drops, edit fields,
// modal pictures and the scripted clock.
#include <string>
#include <vector>

#include "gui/platform/memory/memory_platform.h"
#include "gui/platform/raster/raster_device.h"
#include "tests/gui_draw_support.h"

namespace {

namespace memory = gui_platform::memory;
using gui_platform::Device;

// Records what the window tells its owner; paints fill the whole window in paintColour.
class RecordingListener : public gui_platform::WindowListener {
public:
    void onPaint(Device& device, const GuiRect& area) override {
        paints.push_back(area);
        device.fillRect(GuiRect{0, 0, 1000, 1000}, paintColour);
    }
    void onButtonPress(Device&, GuiPoint where) override {
        presses.push_back(where);
        buttonsDuringPress = gui_platform::mouseButtons();
    }
    void onDrop(void* data, int32_t count, int32_t type, GuiPoint where) override {
        char** entries = static_cast<char**>(data);
        dropType = type;
        dropCount = count;
        dropWhere = where;
        dropped.clear();
        const int32_t n = type == 1 ? 1 : count;
        for (int32_t i = 0; i < n; ++i) dropped.push_back(entries[i]);
    }
    void onWindowDestroyed() override { ++destroyed; }

    GuiColor paintColour = colorGreen;
    std::vector<GuiRect> paints;
    std::vector<GuiPoint> presses;
    int32_t buttonsDuringPress = -1;
    int32_t dropType = -1, dropCount = -1;
    GuiPoint dropWhere;
    std::vector<std::string> dropped;
    int32_t destroyed = 0;
};

class GuiMemoryBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory::reset();
        window = gui_platform::createWindow(&hostWindow, 40, 30, &listener);
        ASSERT_TRUE(window);
        ASSERT_EQ(memory::lastWindow(), window.get());
    }
    int hostWindow = 0;
    RecordingListener listener;
    std::unique_ptr<gui_platform::Window> window;
};

TEST_F(GuiMemoryBackendTest, NoParentNoWindow) {
    EXPECT_EQ(gui_platform::createWindow(nullptr, 40, 30, &listener), nullptr);
    EXPECT_EQ(memory::windows().size(), 1u);
}

TEST_F(GuiMemoryBackendTest, RepaintRequestsAreServedOnceAsOneClippedPaint) {
    window->invalidate(GuiRect{2, 2, 5, 5});
    window->invalidate(GuiRect{10, 4, 12, 8});
    gui_platform::serveRepaints();
    ASSERT_EQ(listener.paints.size(), 1u);
    const GuiRect area = listener.paints[0];
    EXPECT_EQ(area.left, 2);
    EXPECT_EQ(area.top, 2);
    EXPECT_EQ(area.right, 12);
    EXPECT_EQ(area.bottom, 8);
    // The paint device keeps to the requested area.
    const auto& image = memory::lastWindow()->image();
    EXPECT_TRUE(image.pixel(2, 2).sameRgb(colorGreen));
    EXPECT_TRUE(image.pixel(11, 7).sameRgb(colorGreen));
    EXPECT_TRUE(image.pixel(12, 7).sameRgb(colorBlack));
    EXPECT_TRUE(image.pixel(1, 2).sameRgb(colorBlack));

    gui_platform::serveRepaints();
    EXPECT_EQ(listener.paints.size(), 1u);
    EXPECT_EQ(memory::serveRepaintCalls(), 2);
    EXPECT_EQ(memory::repaintsServed(), 1);
}

TEST_F(GuiMemoryBackendTest, PressDeliversWindowPointAndLiveState) {
    memory::setModifiers(modifierShift);
    memory::lastWindow()->press(GuiPoint{7, 9}, buttonRight);
    ASSERT_EQ(listener.presses.size(), 1u);
    EXPECT_EQ(listener.presses[0].h, 7);
    EXPECT_EQ(listener.presses[0].v, 9);
    EXPECT_EQ(listener.buttonsDuringPress, buttonRight | modifierShift);
    const GuiPoint screen = gui_platform::mouseScreenPosition();
    EXPECT_EQ(screen.h, window->screenOrigin().h + 7);
    EXPECT_EQ(screen.v, window->screenOrigin().v + 9);
}

TEST_F(GuiMemoryBackendTest, DropsOfTextAndFileNames) {
    memory::lastWindow()->dropText("Saw & Pad", GuiPoint{3, 4});
    EXPECT_EQ(listener.dropType, 1);
    EXPECT_EQ(listener.dropCount, 10);  // the text block with its terminator
    EXPECT_EQ(listener.dropped, std::vector<std::string>{"Saw & Pad"});
    EXPECT_EQ(listener.dropWhere.h, 3);

    memory::lastWindow()->dropFiles({"/tmp/a.fxp", "/tmp/b.fxb"}, GuiPoint{5, 6});
    EXPECT_EQ(listener.dropType, 0);
    EXPECT_EQ(listener.dropCount, 2);
    EXPECT_EQ(listener.dropped, (std::vector<std::string>{"/tmp/a.fxp", "/tmp/b.fxb"}));
    EXPECT_EQ(listener.dropWhere.v, 6);
}

TEST_F(GuiMemoryBackendTest, HostDestroyingTheWindowStopsPaints) {
    memory::lastWindow()->destroyNative();
    EXPECT_EQ(listener.destroyed, 1);
    window->invalidate(GuiRect{0, 0, 10, 10});
    gui_platform::serveRepaints();
    EXPECT_TRUE(listener.paints.empty());
}

// An owner that ends editing (and destroys the field) inside the notification, as a text
// field does.
class EditOwner : public gui_platform::EditListener {
public:
    void onEditFocusLost() override { finish("focus"); }
    void onEditReturn() override { finish("return"); }
    void finish(const char* how) {
        if (!field) return;
        char text[256];
        field->getText(text, sizeof(text));
        result = text;
        ending = how;
        field.reset();
    }
    std::unique_ptr<gui_platform::EditField> field;
    std::string result, ending;
};

TEST_F(GuiMemoryBackendTest, EditFieldStandInTypesAndEnds) {
    EditOwner owner;
    gui_platform::EditFieldSetup setup;
    setup.box = GuiRect{1, 2, 30, 12};
    setup.text = "Start";
    setup.textColor = colorYellow;
    setup.align = alignCenter;
    owner.field = window->createEditField(setup, &owner);
    memory::MemoryEditField* field = memory::activeEditField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "Start");
    EXPECT_EQ(field->setup().box.right, 30);
    EXPECT_TRUE(field->setup().textColor.sameRgb(colorYellow));

    field->typeText("Bass 2");
    field->pressReturn();  // the owner destroys the field inside this call
    EXPECT_EQ(owner.ending, "return");
    EXPECT_EQ(owner.result, "Bass 2");
    EXPECT_EQ(memory::activeEditField(), nullptr);

    owner.field = window->createEditField(setup, &owner);
    memory::activeEditField()->loseFocus();
    EXPECT_EQ(owner.ending, "focus");
    EXPECT_EQ(owner.result, "Start");

    // Text is cut to the caller's buffer.
    owner.field = window->createEditField(setup, &owner);
    char small[4];
    owner.field->getText(small, sizeof(small));
    EXPECT_STREQ(small, "Sta");
}

TEST_F(GuiMemoryBackendTest, ModalPicturesAreRecordedAndReturnAtOnce) {
    gui_platform::showModalPicture(117, window.get());
    gui_platform::showModalPicture(114, nullptr);
    const auto& shown = memory::shownPictures();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].resourceId, 117);
    EXPECT_EQ(shown[0].owner, window->nativeHandle());
    EXPECT_EQ(shown[1].owner, nullptr);
}

TEST_F(GuiMemoryBackendTest, ScriptedClock) {
    memory::setTickCount(0xFFFFFFF0u);
    gui_platform::sleepMilliseconds(0x20);
    EXPECT_EQ(gui_platform::tickCount(), 0x10u);  // wraps at 2^32
    memory::setTickPerQuery(5);
    EXPECT_EQ(gui_platform::tickCount(), 0x10u);
    EXPECT_EQ(gui_platform::tickCount(), 0x15u);
    EXPECT_EQ(memory::sleepCalls(), 1);
    EXPECT_GE(gui_platform::doubleClickTime(), 250);
}

TEST(GuiRasterDevice, DrawsNothingOutsideItsClip) {
    gui_platform::Image image(10, 10, colorBlack);
    gui_platform::raster::RasterDevice device(image, GuiRect{2, 2, 5, 5});
    device.fillRect(GuiRect{-100, -100, 100, 100}, colorWhite);
    device.moveTo(GuiPoint{-50, 8});
    device.lineTo(GuiPoint{50, 8}, colorWhite, false);
    int32_t white = 0;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) white += image.pixel(x, y).sameRgb(colorWhite);
    EXPECT_EQ(white, 9);
    EXPECT_TRUE(image.pixel(4, 4).sameRgb(colorWhite));
    EXPECT_TRUE(image.pixel(5, 5).sameRgb(colorBlack));
}

}  // namespace
