// GuiFrame: press, key and drop routing, focus hand-over, child list ownership and redraws.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui_views_support.h"

namespace {

using namespace gui_test;

// A view that logs what reaches it into a shared journal.
class ProbeView : public GuiView {
public:
    ProbeView(const GuiRect& size, char name, std::string* journal) : GuiView(size), name(name), journal(journal) {}
    ~ProbeView() override {
        if (destroyed) ++*destroyed;
    }

    void draw(GuiDrawContext* /*context*/) override {
        ++draws;
        setDirty(false);
    }
    void mouse(GuiDrawContext* /*context*/, GuiPoint& /*where*/) override { *journal += std::string("m") + name; }
    VstInt32 onKeyDown(VstKeyCode& /*key*/) override {
        *journal += std::string("k") + name;
        return keyAnswer;
    }
    VstInt32 onKeyUp(VstKeyCode& /*key*/) override {
        *journal += std::string("u") + name;
        return keyAnswer;
    }
    bool onDrop(GuiDrawContext* /*context*/, void** data, VstInt32 count, VstInt32 type, GuiPoint& /*where*/) override {
        *journal += std::string("d") + name;
        lastDropType = type;
        lastDropCount = count;
        if (type == 1 && data && data[0]) lastDropText.assign(static_cast<const char*>(data[0]), count);
        return takesDrops;
    }
    void onFocusLost(GuiDrawContext* /*context*/) override {
        *journal += std::string("l") + name;
        heldFocusWhenTold = frame && frame->getFocusView() == this;
    }

    char name;
    std::string* journal;
    int draws = 0;
    int* destroyed = nullptr;
    VstInt32 keyAnswer = -1;
    bool takesDrops = false;
    bool heldFocusWhenTold = false;
    VstInt32 lastDropType = -1;
    VstInt32 lastDropCount = -1;
    std::string lastDropText;
};

class FrameRouting : public EditorFixture {
protected:
    ProbeView* add(const GuiRect& r, char name) {
        auto* view = new ProbeView(r, name, &journal);
        frame->addView(view);
        return view;
    }
    std::string journal;
};

TEST_F(FrameRouting, PressGoesToTheLastAddedEnabledChildUnderIt) {
    ProbeView* a = add(GuiRect{0, 0, 100, 100}, 'a');
    ProbeView* b = add(GuiRect{50, 50, 150, 150}, 'b');
    window->press(GuiPoint{75, 75});
    EXPECT_EQ(journal, "mb");
    journal.clear();
    b->setMouseEnabled(false);
    window->press(GuiPoint{75, 75});
    EXPECT_EQ(journal, "ma");
    journal.clear();
    window->press(GuiPoint{300, 200});
    EXPECT_EQ(journal, "");
    window->press(GuiPoint{100, 100});  // a's bottom-right corner counts
    EXPECT_EQ(journal, "ma");
    (void)a;
}

TEST_F(FrameRouting, KeysGoToTheFocusViewFirstThenChildrenLastToFirst) {
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    ProbeView* b = add(GuiRect{20, 0, 30, 10}, 'b');
    add(GuiRect{40, 0, 50, 10}, 'c');
    VstKeyCode key{};
    EXPECT_EQ(editor->onKeyDown(key), -1);
    EXPECT_EQ(journal, "kckbka");

    journal.clear();
    b->keyAnswer = 1;
    EXPECT_EQ(editor->onKeyDown(key), 1);
    EXPECT_EQ(journal, "kckb");

    journal.clear();
    frame->setFocusView(a);
    a->keyAnswer = 5;
    EXPECT_EQ(editor->onKeyDown(key), 5);
    EXPECT_EQ(journal, "ka");

    journal.clear();
    a->keyAnswer = -1;
    EXPECT_EQ(editor->onKeyUp(key), 1);
    EXPECT_EQ(journal, "uaucub");
}

TEST_F(FrameRouting, FocusHandOverTellsTheOldViewAfterTheNewOneHoldsIt) {
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    ProbeView* b = add(GuiRect{20, 0, 30, 10}, 'b');
    frame->setFocusView(a);
    EXPECT_EQ(journal, "");
    frame->setFocusView(b);
    EXPECT_EQ(journal, "la");
    EXPECT_FALSE(a->heldFocusWhenTold);
    EXPECT_EQ(frame->getFocusView(), b);
}

TEST_F(FrameRouting, APressEndsTheFocusWhileTheViewStillHoldsIt) {
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    add(GuiRect{20, 0, 30, 10}, 'b');
    frame->setFocusView(a);
    window->press(GuiPoint{25, 5});
    EXPECT_EQ(journal, "lamb");
    EXPECT_TRUE(a->heldFocusWhenTold);
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(FrameRouting, NothingIsRedrawnBeforeTheFirstPaint) {
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    a->setDirty(true);
    editor->idle();
    EXPECT_EQ(a->draws, 0);
    EXPECT_TRUE(frame->isFirstDrawPending());

    window->paintAll();
    EXPECT_EQ(a->draws, 1);
    EXPECT_FALSE(frame->isFirstDrawPending());
    editor->idle();  // clean: nothing to do
    EXPECT_EQ(a->draws, 1);
    a->setDirty(true);
    editor->idle();
    EXPECT_EQ(a->draws, 2);
}

TEST_F(FrameRouting, PaintDrawsOnlyChildrenMeetingTheArea) {
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    ProbeView* b = add(GuiRect{100, 100, 110, 110}, 'b');
    window->paint(GuiRect{0, 0, 50, 50});
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 0);
}

TEST_F(FrameRouting, BackgroundIsSharedAndDrawnUnderTheViews) {
    constexpr VstInt32 kPanelId = 7201;
    mem::registerBitmap(kPanelId, gui_platform::Image(600, 250, colorMagenta));
    auto* panel = new GuiBitmap(kPanelId);
    frame->setBackground(panel);
    EXPECT_EQ(panel->getReferenceCount(), 2);
    window->paintAll();
    EXPECT_TRUE(window->image().pixel(300, 200).sameRgb(colorMagenta));
    editor->close();  // the frame gives its reference back
    EXPECT_EQ(panel->getReferenceCount(), 1);
    panel->dropReference();
    mem::unregisterBitmap(kPanelId);
}

TEST_F(FrameRouting, ChildListOwnsItsViews) {
    int destroyed = 0;
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    ProbeView* b = add(GuiRect{0, 0, 10, 10}, 'b');
    a->destroyed = &destroyed;
    b->destroyed = &destroyed;
    EXPECT_EQ(a->getFrame(), frame);
    EXPECT_TRUE(frame->isChild(a));

    EXPECT_TRUE(frame->removeView(b, false));  // survives and can be added again
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(frame->getViewCount(), 1);
    EXPECT_EQ(b->getFrame(), nullptr);
    EXPECT_TRUE(frame->addView(b));
    EXPECT_EQ(frame->getView(1), b);
    EXPECT_EQ(frame->getView(2), nullptr);
    EXPECT_EQ(frame->getView(-1), nullptr);

    EXPECT_TRUE(frame->removeView(a, true));  // count 1: destroyed
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(frame->removeView(a, true));
    editor->close();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(FrameRouting, ManyViewsGrowTheList) {
    for (int i = 0; i < 137; ++i) add(GuiRect{i, 0, i, 0}, 'x');
    EXPECT_EQ(frame->getViewCount(), 137);
    window->press(GuiPoint{136, 0});
    EXPECT_EQ(journal, "mx");
}

TEST_F(FrameRouting, RemovingTheFocusViewClearsTheFocus) {
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    frame->setFocusView(a);
    frame->removeView(a, true);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    VstKeyCode key{};
    EXPECT_EQ(editor->onKeyDown(key), -1);  // no dangling focus view is asked
}

TEST_F(FrameRouting, DropsGoToTheEnabledChildUnderThePoint) {
    ProbeView* a = add(GuiRect{0, 0, 100, 100}, 'a');
    ProbeView* b = add(GuiRect{50, 50, 150, 150}, 'b');
    a->takesDrops = true;
    // The drop point is the mouse position at the moment of the drop.
    auto dropTextAt = [&](const char* text, GuiPoint at) {
        mem::setInput(0, screen(at));
        window->dropText(text, at);
    };
    dropTextAt("dropped", GuiPoint{75, 75});
    EXPECT_EQ(journal, "dbda");  // b declines, a takes it
    EXPECT_EQ(a->lastDropType, 1);
    EXPECT_EQ(a->lastDropText.substr(0, 7), "dropped");

    journal.clear();
    mem::setInput(0, screen(GuiPoint{20, 20}));
    window->dropFiles({"/tmp/one.wav", "/tmp/two.wav"}, GuiPoint{20, 20});
    EXPECT_EQ(journal, "da");
    EXPECT_EQ(a->lastDropType, 0);
    EXPECT_EQ(a->lastDropCount, 2);

    journal.clear();
    dropTextAt("nowhere", GuiPoint{400, 200});
    EXPECT_EQ(journal, "");

    journal.clear();  // a notification naming another point does not move the drop
    mem::setInput(0, screen(GuiPoint{120, 120}));
    window->dropText("moved", GuiPoint{20, 20});
    EXPECT_EQ(journal, "db");

    journal.clear();
    frame->setFocusView(b);  // nothing is dropped into an edit in progress
    dropTextAt("dropped", GuiPoint{75, 75});
    EXPECT_EQ(journal, "");
}

TEST_F(FrameRouting, DropsWithoutDataOrWithANegativeCountAreRefused) {
    ProbeView* a = add(GuiRect{0, 0, 100, 100}, 'a');
    a->takesDrops = true;
    GuiPoint where{10, 10};
    const char* text = "x";
    void* entries[1] = {const_cast<char*>(text)};
    EXPECT_FALSE(frame->onDrop(nullptr, nullptr, 1, 1, where));
    EXPECT_FALSE(frame->onDrop(nullptr, entries, -1, 0, where));
    EXPECT_EQ(journal, "");
    EXPECT_TRUE(frame->onDrop(nullptr, entries, 1, 1, where));

    // The drop target checks what the platform hands it the same way.
    journal.clear();
    GuiDropTarget* target = new GuiDropTarget(frame);
    target->addReference();
    EXPECT_FALSE(target->drop(nullptr, 1, 1, where));
    EXPECT_FALSE(target->drop(entries, -3, 1, where));
    void* empty[1] = {nullptr};
    EXPECT_FALSE(target->drop(empty, 1, 1, where));
    EXPECT_EQ(journal, "");
    EXPECT_TRUE(target->drop(entries, 1, 1, where));
    EXPECT_EQ(target->release(), 0);
}

TEST(GuiDropTargetEffects, TextOrFilesMoveOrCopyWithControlAndAnythingElseNone) {
    GuiDropTarget* target = new GuiDropTarget(nullptr);
    EXPECT_EQ(target->addReference(), 1);
    EXPECT_EQ(target->addReference(), 2);
    EXPECT_EQ(target->dragEnter(true, false), GuiDropTarget::effectMove);
    EXPECT_EQ(target->dragOver(true), GuiDropTarget::effectCopy);
    EXPECT_EQ(target->dragOver(false), GuiDropTarget::effectMove);
    EXPECT_EQ(target->dragEnter(false, true), GuiDropTarget::effectNone);
    EXPECT_EQ(target->dragOver(true), GuiDropTarget::effectNone);
    void* entries[1] = {const_cast<char*>("x")};
    GuiPoint where{0, 0};
    EXPECT_FALSE(target->drop(entries, 1, 1, where));  // no frame: nothing delivered
    EXPECT_EQ(target->release(), 1);
    EXPECT_EQ(target->release(), 0);  // destroyed
}

TEST_F(FrameRouting, ServicesReachThePlatformTheEditorAndTheHost) {
    window->setScreenOrigin(GuiPoint{300, 400});
    mem::setInput(0, GuiPoint{345, 467});
    GuiPoint where;
    EXPECT_TRUE(frame->currentMousePosition(where));
    EXPECT_EQ(where.h, 45);
    EXPECT_EQ(where.v, 67);
    EXPECT_EQ(frame->findOuterWindow(), window->outerWindow());

    mem::setTickCount(123456);
    EXPECT_EQ(frame->tickCount(), 123456u);
    editor->setKnobMode(2);
    EXPECT_EQ(frame->knobMode(), 2);
    frame->beginEdit(7);
    frame->endEdit(7);
    ASSERT_GE(hostLog().requests.size(), 2u);
    EXPECT_EQ(hostLog().requests[hostLog().requests.size() - 2].opcode, audioMasterBeginEdit);
    EXPECT_EQ(hostLog().requests.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(hostLog().requests.back().index, 7);
    EXPECT_EQ(frame->getEditor(), editor);
}

TEST_F(FrameRouting, AWindowDestroyedByTheHostStopsAllDrawing) {
    ProbeView* a = add(GuiRect{0, 0, 10, 10}, 'a');
    window->paintAll();
    window->destroyNative();
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getParentWindow(), nullptr);
    a->setDirty(true);
    editor->idle();
    EXPECT_EQ(a->draws, 1);
}

TEST(FrameWithoutWindow, RoutesButNeverDraws) {
    mem::reset();
    std::string journal;
    GuiFrame frame(GuiRect{0, 0, 600, 250}, nullptr, nullptr);
    EXPECT_EQ(frame.getWindow(), nullptr);
    EXPECT_FALSE(frame.setDropEnabled(true));
    EXPECT_TRUE(frame.setDropEnabled(false));
    auto* view = new ProbeView(GuiRect{0, 0, 10, 10}, 'a', &journal);
    frame.addView(view);
    view->setDirty(true);
    frame.idle();
    EXPECT_EQ(view->draws, 0);
    mem::setInput(0, GuiPoint{345, 467});
    GuiPoint where;
    frame.currentMousePosition(where);
    EXPECT_EQ(where.h, 345);  // screen position: there is no window to subtract
    EXPECT_EQ(frame.findOuterWindow(), nullptr);
    EXPECT_EQ(frame.tickCount(), 0u);
    frame.beginEdit(3);  // no editor: nothing happens
    frame.idleDuringTracking();
}

}  // namespace
