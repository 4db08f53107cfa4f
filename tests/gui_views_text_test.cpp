// Text displays and text fields: drawing, the 255-character limit, edits that end on Return or
// on a press elsewhere, double-click editing and display-only fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "gui/views/gui_text_field.h"
#include "gui/views/gui_value_display.h"
#include "tests/gui_views_support.h"

namespace {

using namespace gui_test;

constexpr size_t kTextLimit = kGuiTextSize - 1;   // characters a text field holds
constexpr size_t kEditLimit = kGuiTextSize - 2;   // characters taken back from an edit
const GuiRect kFieldRect{100, 50, 180, 70};
const GuiPoint kInField{140, 60};
const GuiPoint kElsewhere{400, 200};

TEST(TextFieldLimit, ConstructorCutsLongTextsAt255Characters) {
    mem::reset();
    const std::string longText(300, 'x');
    GuiTextField field(kFieldRect, nullptr, 0, longText.c_str(), nullptr);
    EXPECT_EQ(std::string(field.text()), std::string(kTextLimit, 'x'));
    const std::string exact(kTextLimit, 'y');
    GuiTextField exactField(kFieldRect, nullptr, 0, exact.c_str(), nullptr);
    EXPECT_EQ(std::string(exactField.text()), exact);
    GuiTextField empty(kFieldRect, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(std::string(empty.text()), "");
}

TEST(TextFieldLimit, SetTextCutsAndMarksDirtyOnlyOnAChange) {
    mem::reset();
    GuiTextField field(kFieldRect, nullptr, 0, "abc", nullptr);
    field.setDirty(false);
    field.setText("abc");
    EXPECT_FALSE(field.isDirty());
    field.setText(nullptr);
    EXPECT_FALSE(field.isDirty());
    EXPECT_EQ(std::string(field.text()), "abc");

    const std::string longText(1000, 'z');
    field.setText(longText.c_str());
    EXPECT_TRUE(field.isDirty());
    EXPECT_EQ(std::string(field.text()), std::string(kTextLimit, 'z'));
    field.setDirty(false);
    field.setText(longText.c_str());  // the same text once cut: no change
    EXPECT_FALSE(field.isDirty());

    char copy[kGuiTextSize];
    field.getText(copy);
    EXPECT_EQ(std::string(copy), std::string(kTextLimit, 'z'));
}

TEST(TextFieldLimit, AppearanceSettersMarkDirtyOnlyOnAChange) {
    mem::reset();
    GuiTextField field(kFieldRect, nullptr, 0, "abc", nullptr);
    struct Step {
        const char* name;
        std::function<void()> apply;
        bool dirties;
    } steps[] = {
        {"same font", [&] { field.setFont(fontNormal); }, false},
        {"new font", [&] { field.setFont(fontSmaller); }, true},
        {"same colour", [&] { field.setTextColor(colorWhite); }, false},
        {"fourth byte only", [&] { field.setTextColor(GuiColor{255, 255, 255, 9}); }, false},
        {"new colour", [&] { field.setTextColor(colorCyan); }, true},
        {"same box", [&] { field.setBoxColor(colorBlack); }, false},
        {"new border", [&] { field.setBorderColor(colorRed); }, true},
        {"same alignment", [&] { field.setAlignment(alignCenter); }, false},
        {"new style", [&] { field.setStyle(kShadowText); }, true},
        {"offset only stores", [&] { field.setImageOffset(GuiPoint{3, 4}); }, false},
    };
    for (const Step& step : steps) {
        field.setDirty(false);
        step.apply();
        EXPECT_EQ(field.isDirty(), step.dirties) << step.name;
    }
}

class TextEdit : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        field = new GuiTextField(kFieldRect, &listener, 70, "old", nullptr);
        frame->addView(field);
        window->paintAll();
    }
    mem::MemoryEditField* edit() { return mem::activeEditField(); }

    RecordingListener listener;
    GuiTextField* field = nullptr;
};

TEST_F(TextEdit, ClickOpensAnEditFieldOverTheText) {
    field->setFont(fontSmaller);
    field->setAlignment(alignRight);
    window->press(kInField);
    ASSERT_NE(edit(), nullptr);
    EXPECT_TRUE(field->isEditing());
    EXPECT_EQ(frame->getFocusView(), field);
    EXPECT_EQ(edit()->text(), "old");
    const gui_platform::EditFieldSetup& setup = edit()->setup();
    EXPECT_EQ(setup.box.left, kFieldRect.left);
    EXPECT_EQ(setup.box.bottom, kFieldRect.bottom);
    EXPECT_EQ(setup.font.id, fontSmaller);
    EXPECT_EQ(setup.font.size, GuiDrawContext::defaultFontSize(fontSmaller));
    EXPECT_EQ(setup.align, alignRight);
}

TEST_F(TextEdit, ReturnEndsTheEditAndReportsTheNewTextOnce) {
    window->press(kInField);
    ASSERT_NE(edit(), nullptr);
    edit()->typeText("new text");
    edit()->pressReturn();
    EXPECT_EQ(edit(), nullptr);
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(std::string(field->text()), "new text");
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].tag, 70);
    EXPECT_TRUE(listener.changes[0].hadContext);  // redrawn at once through a context of its own
}

TEST_F(TextEdit, APressElsewhereEndsTheEdit) {
    window->press(kInField);
    ASSERT_NE(edit(), nullptr);
    edit()->typeText("moved on");
    window->press(kElsewhere);
    EXPECT_EQ(edit(), nullptr);
    EXPECT_EQ(std::string(field->text()), "moved on");
    EXPECT_EQ(listener.changes.size(), 1u);
}

TEST_F(TextEdit, APressOnTheEditedFieldEndsTheEditToo) {
    window->press(kInField);
    edit()->typeText("again");
    window->press(kInField);  // ends the edit, then opens a new one on the same field
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(std::string(field->text()), "again");
    ASSERT_NE(edit(), nullptr);
    EXPECT_EQ(mem::editFields().size(), 1u);
}

TEST_F(TextEdit, AnUnchangedTextReportsNothing) {
    window->press(kInField);
    edit()->pressReturn();
    window->press(kInField);
    edit()->typeText("old");
    edit()->loseFocus();
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(std::string(field->text()), "old");
}

TEST_F(TextEdit, LosingTheKeyboardFocusEndsTheEdit) {
    window->press(kInField);
    edit()->typeText("typed");
    edit()->loseFocus();
    EXPECT_EQ(edit(), nullptr);
    EXPECT_EQ(listener.changes.size(), 1u);
}

TEST_F(TextEdit, EditedTextIsCutSafely) {
    window->press(kInField);
    edit()->typeText(std::string(400, 'q'));
    edit()->pressReturn();
    EXPECT_EQ(std::string(field->text()), std::string(kEditLimit, 'q'));
    EXPECT_EQ(listener.changes.size(), 1u);
}

TEST_F(TextEdit, DisabledMouseNeverEdits) {
    field->setMouseEnabled(false);
    window->press(kInField);
    window->press(kInField);
    EXPECT_EQ(edit(), nullptr);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(TextEdit, DoubleClickStyleNeedsTwoClicksWithinTheDoubleClickTime) {
    field->setStyle(kDoubleClickStyle);
    window->press(kInField);
    EXPECT_EQ(edit(), nullptr) << "a single click does nothing";
    mem::advanceClock(100);
    window->press(kInField);
    ASSERT_NE(edit(), nullptr) << "the second click within the double-click time edits";
    mem::advanceClock(100);
    window->press(kInField);  // ends the edit; as a click it only starts counting again
    EXPECT_EQ(edit(), nullptr);
    mem::advanceClock(100);
    window->press(kInField);
    EXPECT_NE(edit(), nullptr);
    edit()->pressReturn();

    // Two clicks further apart than the double-click time (at least 250 ms) do not edit.
    mem::advanceClock(1000);
    window->press(kInField);
    mem::advanceClock(static_cast<uint32_t>(std::max(gui_platform::doubleClickTime(), 250)) + 1);
    window->press(kInField);
    EXPECT_EQ(edit(), nullptr);
}

TEST_F(TextEdit, ClosingTheEditorDuringAnEditClosesTheField) {
    window->press(kInField);
    ASSERT_NE(edit(), nullptr);
    editor->close();
    EXPECT_TRUE(mem::editFields().empty());
}

// ---- drawing ----

class TextDrawing : public EditorFixture {
protected:
    GuiColor at(int32_t h, int32_t v) const { return window->image().pixel(h, v); }
    // Pixels of the field's inside that show colour.
    int countInside(const GuiRect& r, GuiColor colour) const {
        int n = 0;
        for (int32_t v = r.top + 1; v < r.bottom; ++v)
            for (int32_t h = r.left + 1; h < r.right; ++h) n += at(h, v).sameRgb(colour);
        return n;
    }
    // Pixels of the inside brighter than mid-grey in every channel: text on a dark box.
    int countLightInside(const GuiRect& r) const {
        int n = 0;
        for (int32_t v = r.top + 1; v < r.bottom; ++v)
            for (int32_t h = r.left + 1; h < r.right; ++h) {
                const GuiColor c = at(h, v);
                n += c.red >= 128 && c.green >= 128 && c.blue >= 128;
            }
        return n;
    }
};

TEST_F(TextDrawing, DefaultReadOutIsTheValueWithTwoDecimalsWhiteOnABlackBox) {
    window->image().resize(600, 250, colorBlue);
    auto* display = new GuiValueDisplay(kFieldRect, nullptr);
    display->setValue(0.5f);
    frame->addView(display);
    window->paintAll();
    // The box: framed and filled black, with white text in it.
    EXPECT_TRUE(at(kFieldRect.left, kFieldRect.top).sameRgb(colorBlack));
    EXPECT_TRUE(at(kFieldRect.right, kFieldRect.bottom).sameRgb(colorBlack));
    EXPECT_TRUE(at(kFieldRect.left + 1, kFieldRect.top + 1).sameRgb(colorBlack));
    EXPECT_GT(countLightInside(kFieldRect), 10);
    const gui_platform::Image drawn = window->image();

    // The same picture as a text field showing "0.50" with the same settings.
    frame->removeAll(true);
    window->image().resize(600, 250, colorBlue);
    frame->addView(new GuiTextField(kFieldRect, nullptr, 0, "0.50", nullptr));
    window->paintAll();
    EXPECT_EQ(window->image().rgb, drawn.rgb);
}

TEST_F(TextDrawing, NoDrawStyleLeavesThePixelsAlone) {
    window->image().resize(600, 250, colorBlue);
    auto* display = new GuiValueDisplay(kFieldRect, nullptr, kNoDrawStyle);
    EXPECT_FALSE(display->isDirty());
    frame->addView(display);
    window->paintAll();
    EXPECT_EQ(countInside(GuiRect{kFieldRect.left - 1, kFieldRect.top - 1, kFieldRect.right + 1,
                                  kFieldRect.bottom + 1},
                          colorBlue),
              (kFieldRect.right - kFieldRect.left + 1) * (kFieldRect.bottom - kFieldRect.top + 1));
}

TEST_F(TextDrawing, ThreeDimensionalFrameUsesBackAndFrameColours) {
    auto* display = new GuiValueDisplay(kFieldRect, nullptr, k3DIn | kNoTextStyle);
    display->setBoxColor(colorGreen);
    display->setBorderColor(colorRed);
    frame->addView(display);
    window->paintAll();
    // Left and top edges in the back colour, right and bottom edges in the frame colour.
    EXPECT_TRUE(at(kFieldRect.left, kFieldRect.top + 5).sameRgb(colorGreen));
    EXPECT_TRUE(at(kFieldRect.left + 5, kFieldRect.top).sameRgb(colorGreen));
    EXPECT_TRUE(at(kFieldRect.right, kFieldRect.top + 5).sameRgb(colorRed));
    EXPECT_TRUE(at(kFieldRect.left + 5, kFieldRect.bottom).sameRgb(colorRed));
    EXPECT_TRUE(at(kFieldRect.left + 5, kFieldRect.top + 5).sameRgb(colorGreen));  // the box fill

    display->setStyle(k3DOut | kNoTextStyle);
    window->paintAll();
    EXPECT_TRUE(at(kFieldRect.left, kFieldRect.top + 5).sameRgb(colorRed));
    EXPECT_TRUE(at(kFieldRect.right, kFieldRect.top + 5).sameRgb(colorGreen));
}

TEST_F(TextDrawing, FormatterWithDataTakesPrecedence) {
    auto* display = new GuiValueDisplay(kFieldRect, nullptr);
    static int plainCalls, dataCalls;
    plainCalls = dataCalls = 0;
    display->setValueFormatter([](float, char* text) {
        ++plainCalls;
        std::snprintf(text, kGuiTextSize, "plain");
    });
    int token = 0;
    display->setValueFormatter(
        [](float value, char* text, void* data) {
            ++dataCalls;
            EXPECT_EQ(value, 0.25f);
            ++*static_cast<int*>(data);
            std::snprintf(text, kGuiTextSize, "data");
        },
        &token);
    display->setValue(0.25f);
    frame->addView(display);
    window->paintAll();
    EXPECT_EQ(dataCalls, 1);
    EXPECT_EQ(plainCalls, 0);
    EXPECT_EQ(token, 1);
}

}  // namespace
