// GuiView and GuiControl: edges of hit tests, reference counts, dirtiness, clamping, slot order.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gui/views/gui_knob.h"
#include "gui/views/gui_text_field.h"
#include "gui/views/gui_toggle_button.h"
#include "tests/gui_views_support.h"

namespace {

using namespace gui_test;

// A view that reports its destruction and can be put at any reference count.
class ProbeView : public GuiView {
public:
    ProbeView(const GuiRect& size, int* destroyed) : GuiView(size), destroyed(destroyed) {}
    ~ProbeView() override { ++*destroyed; }
    void forceReferences(VstInt32 count) { references = count; }

private:
    int* destroyed;
};

class ProbeControl : public GuiControl {
public:
    explicit ProbeControl(GuiBitmap* background = nullptr) : GuiControl(GuiRect{0, 0, 10, 10}, nullptr, 7, background) {}
    void draw(GuiDrawContext* /*context*/) override { setDirty(false); }
};

const GuiRect kViewRect{10, 20, 30, 40};

TEST(GuiViewGeometry, IntersectsCountsTouchingEdges) {
    int destroyed = 0;
    ProbeView view(kViewRect, &destroyed);
    struct Case {
        GuiRect other;
        bool meets;
    } cases[] = {
        {{0, 0, 10, 25}, true},    // right edge on our left edge
        {{0, 0, 9, 25}, false},    // one pixel short
        {{30, 25, 50, 26}, true},  // left edge on our right edge
        {{31, 25, 50, 26}, false},
        {{12, 0, 14, 20}, true},   // bottom edge on our top edge
        {{12, 0, 14, 19}, false},
        {{12, 40, 14, 60}, true},  // top edge on our bottom edge
        {{12, 41, 14, 60}, false},
        {{0, 0, 100, 100}, true},  // encloses us
        {{15, 25, 16, 26}, true},  // inside us
    };
    for (const Case& c : cases) {
        EXPECT_EQ(view.intersects(c.other), c.meets)
            << c.other.left << "," << c.other.top << "," << c.other.right << "," << c.other.bottom;
    }
}

TEST(GuiViewGeometry, HitTestIncludesAllFourEdges) {
    int destroyed = 0;
    ProbeView view(kViewRect, &destroyed);
    struct Case {
        GuiPoint point;
        bool hit;
    } cases[] = {
        {{10, 20}, true}, {{30, 40}, true}, {{30, 20}, true}, {{10, 40}, true}, {{20, 30}, true},
        {{9, 30}, false}, {{31, 30}, false}, {{20, 19}, false}, {{20, 41}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(view.hitTest(c.point), c.hit) << c.point.h << "," << c.point.v;
}

TEST(GuiViewGeometry, SetBoundsMovesTheViewButNotItsMouseArea) {
    int destroyed = 0;
    ProbeView view(kViewRect, &destroyed);
    view.setBounds(GuiRect{100, 100, 120, 120});
    GuiRect area;
    view.getMouseArea(area);
    EXPECT_EQ(area.left, kViewRect.left);
    EXPECT_EQ(area.bottom, kViewRect.bottom);
    EXPECT_TRUE(view.hitTest(GuiPoint{110, 110}));
    EXPECT_TRUE(view.isDirty());
}

TEST(GuiViewReferences, DropAtTwoOnlyDecrements) {
    int destroyed = 0;
    auto* view = new ProbeView(kViewRect, &destroyed);
    view->addReference();
    ASSERT_EQ(view->referenceCount(), 2);
    view->dropReference();
    EXPECT_EQ(view->referenceCount(), 1);
    EXPECT_EQ(destroyed, 0);
    view->dropReference();
    EXPECT_EQ(destroyed, 1);
}

TEST(GuiViewReferences, DropAtZeroDoesNothing) {
    int destroyed = 0;
    ProbeView view(kViewRect, &destroyed);  // on the stack: a delete here would crash the test
    view.forceReferences(0);
    view.dropReference();
    EXPECT_EQ(view.referenceCount(), 0);
    EXPECT_EQ(destroyed, 0);
}

TEST(GuiControlDirtiness, SetDirtyTrueAlwaysMakesTheValuesDiffer) {
    for (float value : {-1.0f, 0.0f, 0.3f, 1.0f}) {
        ProbeControl control;
        control.setValue(value);
        control.setDirty(false);
        ASSERT_FALSE(control.isDirty());
        control.setDirty(true);
        EXPECT_TRUE(control.isDirty()) << value;
        EXPECT_NE(control.getOldValue(), control.getValue()) << value;
    }
    ProbeControl minusOne;
    minusOne.setValue(-1.0f);
    minusOne.setDirty(true);
    EXPECT_EQ(minusOne.getOldValue(), 0.0f);
}

TEST(GuiControlDirtiness, StoringAValueIsEnoughToBeRedrawn) {
    ProbeControl control;
    control.setDirty(false);
    control.setValue(0.25f);
    EXPECT_TRUE(control.isDirty());
    control.update(nullptr);  // draws, which ends clean
    EXPECT_FALSE(control.isDirty());
    EXPECT_EQ(control.getOldValue(), 0.25f);
}

TEST(GuiControlRange, ClampValueClampsButSetValueNever) {
    struct Case {
        float stored, clamped;
    } cases[] = {{1.2f, 1.0f}, {-0.1f, 0.0f}, {0.5f, 0.5f}, {1.0f, 1.0f}, {0.0f, 0.0f}};
    for (const Case& c : cases) {
        ProbeControl control;
        control.setValue(c.stored);
        EXPECT_EQ(control.getValue(), c.stored);
        control.clampValue();
        EXPECT_EQ(control.getValue(), c.clamped);
    }
}

TEST(GuiControlRange, StartsWithTheDocumentedDefaults) {
    ProbeControl control;
    EXPECT_EQ(control.getValue(), 0.0f);
    EXPECT_EQ(control.getOldValue(), 1.0f);
    EXPECT_EQ(control.getDefaultValue(), 0.5f);
    EXPECT_EQ(control.getMin(), 0.0f);
    EXPECT_EQ(control.getMax(), 1.0f);
    EXPECT_FLOAT_EQ(control.getStep(), 0.1f);
    EXPECT_EQ(control.getTag(), 7);
    EXPECT_TRUE(control.getMouseEnabled());
    EXPECT_FALSE(control.getTransparency());
}

TEST(GuiControlBitmaps, HoldsOneReferenceOnItsBackground) {
    mem::reset();
    mem::registerBitmap(900, gui_platform::Image(4, 4));
    auto* first = new GuiBitmap(900);
    auto* second = new GuiBitmap(900);
    {
        ProbeControl control(first);
        EXPECT_EQ(first->getReferenceCount(), 2);
        control.setBackground(second);
        EXPECT_EQ(first->getReferenceCount(), 1);
        EXPECT_EQ(second->getReferenceCount(), 2);
        control.setBackground(second);  // the same bitmap again keeps exactly one reference
        EXPECT_EQ(second->getReferenceCount(), 2);
    }
    EXPECT_EQ(second->getReferenceCount(), 1);
    first->dropReference();
    second->dropReference();
    mem::unregisterBitmap(900);
}

TEST(GuiControlBitmaps, KnobReleasesItsHandleImage) {
    mem::reset();
    mem::registerBitmap(901, gui_platform::Image(9, 9));
    auto* handle = new GuiBitmap(901);
    {
        GuiKnob knob(GuiRect{0, 0, 40, 40}, nullptr, 0, nullptr, handle, GuiPoint{0, 0});
        EXPECT_EQ(handle->getReferenceCount(), 2);
    }
    EXPECT_EQ(handle->getReferenceCount(), 1);
    handle->dropReference();
    mem::unregisterBitmap(901);
}

TEST(GuiControlListenerless, ChangesItsValueUnderTheMouseAndTellsNobody) {
    mem::reset();
    GuiToggleButton button(GuiRect{0, 0, 20, 20}, nullptr, 3, nullptr);
    mem::setInput(buttonLeft, GuiPoint{5, 5});
    GuiDrawContext context(nullptr, nullptr, nullptr);
    GuiPoint where{5, 5};
    button.mouse(&context, where);
    EXPECT_EQ(button.getValue(), 1.0f);
}

TEST(GuiViewEditor, NoEditorWithoutAFrame) {
    ProbeControl control;
    EXPECT_EQ(control.getEditor(), nullptr);
    control.idleDuringTracking();  // harmless without a frame
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// On the Itanium C++ ABI a pointer to a virtual member holds 1 + the byte offset of its entry in
// the table, which lets the tests read each operation's place.
template <typename MemberFunction>
std::ptrdiff_t slotOf(MemberFunction member) {
    struct Raw {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    } raw;
    static_assert(sizeof(MemberFunction) == sizeof(Raw), "two-word member pointer");
    std::memcpy(&raw, &member, sizeof raw);
    EXPECT_EQ(raw.pointer & 1u, 1u) << "not a virtual member";
    return static_cast<std::ptrdiff_t>((raw.pointer - 1) / sizeof(void*));
}

struct Slot {
    const char* name;
    std::ptrdiff_t entry;
    int expected;  // the operation's place, counting the destructor as slot 0
};

// The destructor takes two entries on this ABI, so slot n >= 1 sits at entry n + 1.
void expectSlots(const std::vector<Slot>& slots) {
    for (const Slot& slot : slots) EXPECT_EQ(slot.entry, slot.expected + 1) << slot.name;
}

#define SLOT(member, number) Slot{#member, slotOf(&member), number}

TEST(GuiViewSlots, ViewAndControlOperationsKeepTheirPlaces) {
    expectSlots({
        SLOT(GuiView::draw, 1), SLOT(GuiView::drawRect, 2), SLOT(GuiView::intersects, 3), SLOT(GuiView::mouse, 4),
        SLOT(GuiView::update, 5), SLOT(GuiView::notify, 6), SLOT(GuiView::onKeyDown, 7), SLOT(GuiView::onKeyUp, 8),
        SLOT(GuiView::onDrop, 9), SLOT(GuiView::onWheel, 10), SLOT(GuiView::onFocusLost, 11),
        SLOT(GuiView::onFocusTaken, 12), SLOT(GuiView::isDirty, 13), SLOT(GuiView::setDirty, 14),
        SLOT(GuiView::setMouseEnabled, 15), SLOT(GuiView::getMouseEnabled, 16), SLOT(GuiView::setMouseArea, 17),
        SLOT(GuiView::getMouseArea, 18), SLOT(GuiView::hitTest, 19), SLOT(GuiView::setTransparency, 20),
        SLOT(GuiView::getTransparency, 21), SLOT(GuiView::setBounds, 22), SLOT(GuiView::setParentFrame, 23),
        SLOT(GuiView::setParentView, 24), SLOT(GuiView::getEditor, 25), SLOT(GuiView::onRemoved, 26),
        SLOT(GuiView::onAttached, 27), SLOT(GuiView::dropReference, 28), SLOT(GuiView::addReference, 29),
        SLOT(GuiView::referenceCount, 30),
        SLOT(GuiControl::idleDuringTracking, 31), SLOT(GuiControl::setValue, 32), SLOT(GuiControl::getValue, 33),
        SLOT(GuiControl::setMin, 34), SLOT(GuiControl::getMin, 35), SLOT(GuiControl::setMax, 36),
        SLOT(GuiControl::getMax, 37), SLOT(GuiControl::setOldValue, 38), SLOT(GuiControl::getOldValue, 39),
        SLOT(GuiControl::setDefaultValue, 40), SLOT(GuiControl::getDefaultValue, 41), SLOT(GuiControl::setTag, 42),
        SLOT(GuiControl::setBackground, 43), SLOT(GuiControl::getBackground, 44), SLOT(GuiControl::setStep, 45),
        SLOT(GuiControl::getStep, 46), SLOT(GuiControl::clampValue, 47),
    });
}

TEST(GuiViewSlots, KnobAndTextOperationsFollowTheControls) {
    typedef void (GuiValueDisplay::*WithData)(GuiValueFormatterWithData, void*);
    typedef void (GuiValueDisplay::*Plain)(GuiValueFormatter);
    typedef void (GuiTextField::*TextWithData)(GuiTextFormatterWithData, void*);
    typedef void (GuiTextField::*TextPlain)(GuiTextFormatter);
    expectSlots({
        SLOT(GuiKnob::drawHandle, 48), SLOT(GuiKnob::setSweepStart, 49), SLOT(GuiKnob::getSweepStart, 50),
        SLOT(GuiKnob::setSweepAngle, 51), SLOT(GuiKnob::getSweepAngle, 52), SLOT(GuiKnob::pointForValue, 53),
        SLOT(GuiKnob::valueForPoint, 54), SLOT(GuiKnob::setHandleInset, 55), SLOT(GuiKnob::setHandleShadowColor, 56),
        SLOT(GuiKnob::setHandleColor, 57), SLOT(GuiKnob::setHandleImage, 58), SLOT(GuiKnob::setFineFactor, 59),
        SLOT(GuiKnob::getFineFactor, 60),
        SLOT(GuiValueDisplay::setFont, 48), SLOT(GuiValueDisplay::setTextColor, 49),
        SLOT(GuiValueDisplay::setBoxColor, 50), SLOT(GuiValueDisplay::setBorderColor, 51),
        SLOT(GuiValueDisplay::setTextShadowColor, 52), SLOT(GuiValueDisplay::setAlignment, 53),
        SLOT(GuiValueDisplay::setImageOffset, 54),
        Slot{"setValueFormatter(with data)", slotOf(WithData(&GuiValueDisplay::setValueFormatter)), 55},
        Slot{"setValueFormatter", slotOf(Plain(&GuiValueDisplay::setValueFormatter)), 56},
        SLOT(GuiValueDisplay::setStyle, 58), SLOT(GuiValueDisplay::setFontFace, 59),
        SLOT(GuiValueDisplay::setTextTransparent, 60),
        SLOT(GuiTextField::setText, 61), SLOT(GuiTextField::getText, 62),
        Slot{"setTextFormatter(with data)", slotOf(TextWithData(&GuiTextField::setTextFormatter)), 63},
        Slot{"setTextFormatter", slotOf(TextPlain(&GuiTextField::setTextFormatter)), 64},
    });
}

TEST(GuiViewSlots, FrameAndEditorOperationsKeepTheirPlaces) {
    expectSlots({
        SLOT(GuiFrame::draw, 1), SLOT(GuiFrame::onDrop, 9), SLOT(GuiFrame::getEditor, 25),
        SLOT(GuiFrame::addView, 31), SLOT(GuiFrame::removeView, 32), SLOT(GuiFrame::removeAll, 33),
        SLOT(GuiFrame::isChild, 34), SLOT(GuiFrame::getViewCount, 35), SLOT(GuiFrame::getView, 36),
        SLOT(AEffGUIEditor::getRect, 1), SLOT(AEffGUIEditor::open, 2), SLOT(AEffGUIEditor::close, 3),
        SLOT(AEffGUIEditor::idle, 4), SLOT(AEffGUIEditor::update, 5), SLOT(AEffGUIEditor::postUpdate, 6),
        SLOT(AEffGUIEditor::onKeyDown, 7), SLOT(AEffGUIEditor::onKeyUp, 8), SLOT(AEffGUIEditor::setKnobMode, 9),
        SLOT(AEffGUIEditor::onWheel, 10), SLOT(AEffGUIEditor::setParameter, 11), SLOT(AEffGUIEditor::draw, 12),
        SLOT(AEffGUIEditor::idleDuringTracking, 13),
    });
}
#endif

}  // namespace
