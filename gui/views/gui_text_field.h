// GuiTextField: a text display that opens a native edit field over itself when clicked.
#pragma once

#include <memory>

#include "gui/views/gui_value_display.h"
#include "gui/platform/platform.h"

typedef void (*GuiTextFormatter)(const char* text, char* shown);
typedef void (*GuiTextFormatterWithData)(const char* text, char* shown, void* userData);

// Editing runs on the user-interface thread from a click (or a caller's onFocusTaken) to
// onFocusLost, which a press anywhere in the frame, a loss of keyboard focus or Return trigger.
// The listener hears about an edit only when it changed the text.
class GuiTextField : public GuiValueDisplay {
public:
    // A null text gives the empty text; longer texts are cut to kGuiTextSize - 1 characters.
    GuiTextField(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, const char* text,
                 GuiBitmap* background, VstInt32 style = 0);
    ~GuiTextField() override;

    void draw(GuiDrawContext* context) override;
    void mouse(GuiDrawContext* context, GuiPoint& where) override;
    void onFocusLost(GuiDrawContext* context) override;
    void onFocusTaken(GuiDrawContext* context) override;

    // Marks the field dirty only when the text changes; a null text is ignored.
    virtual void setText(const char* newText);
    // Copies the text into out, which must hold kGuiTextSize characters.
    virtual void getText(char* out) const;
    virtual void setTextFormatter(GuiTextFormatterWithData formatter, void* data);
    virtual void setTextFormatter(GuiTextFormatter formatter);

    const char* text() const { return storedText; }
    bool isEditing() const { return editField != nullptr; }

private:
    // Ends the edit when the native field loses the keyboard focus or sees Return.
    class EditEvents : public gui_platform::EditListener {
    public:
        explicit EditEvents(GuiTextField& field) : field(field) {}
        void onEditFocusLost() override { field.onFocusLost(nullptr); }
        void onEditReturn() override { field.onFocusLost(nullptr); }

    private:
        GuiTextField& field;
    };

    // A second click within the double-click time of the first; a third starts over.
    bool isDoubleClick();

    std::unique_ptr<gui_platform::EditField> editField;
    char storedText[kGuiTextSize];
    VstInt32 lastClick = -1;
    VstInt32 doubleClickTime;
    GuiTextFormatter textFormatter = nullptr;
    GuiTextFormatterWithData textFormatterWithData = nullptr;
    EditEvents editEvents;
};
