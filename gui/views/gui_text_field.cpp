// GuiTextField: shows its stored text; a click edits it in the platform's single-line edit field.
#include "gui/views/gui_text_field.h"

#include <cstdio>
#include <cstring>

#include "gui/draw_context.h"
#include "gui/frame.h"

namespace {
constexpr VstInt32 kMinimumDoubleClickMs = 250;
// The edit field hands back at most 254 characters, one less than the text holds.
constexpr VstInt32 kEditReadCapacity = kGuiTextSize - 1;

// Copies text into a kGuiTextSize buffer, cutting what does not fit.
void copyText(char* out, const char* text) { std::snprintf(out, kGuiTextSize, "%s", text ? text : ""); }
}  // namespace

GuiTextField::GuiTextField(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, const char* text,
                           GuiBitmap* background, VstInt32 style)
    : GuiValueDisplay(size, background, style), editEvents(*this) {
    this->listener = listener;
    this->tag = tag;
    copyText(storedText, text);
    const VstInt32 platformTime = gui_platform::doubleClickTime();
    doubleClickTime = platformTime < kMinimumDoubleClickMs ? kMinimumDoubleClickMs : platformTime;
}

GuiTextField::~GuiTextField() {}

void GuiTextField::draw(GuiDrawContext* context) {
    char shown[kGuiTextSize] = "";
    if (textFormatterWithData)
        textFormatterWithData(storedText, shown, userData);
    else if (textFormatter)
        textFormatter(storedText, shown);
    else
        std::snprintf(shown, sizeof shown, "%s", storedText);
    drawText(context, shown);
}

bool GuiTextField::isDoubleClick() {
    const uint32_t now = frame ? frame->tickCount() : 0;
    if (lastClick > 0 && static_cast<int32_t>(now - static_cast<uint32_t>(lastClick)) < doubleClickTime) {
        lastClick = 0;
        return true;
    }
    lastClick = static_cast<VstInt32>(now);
    return false;
}

void GuiTextField::mouse(GuiDrawContext* context, GuiPoint& /*where*/) {
    if (!pressButtons(context)) return;
    if (frame && frame->getFocusView() == this) return;
    if ((style & kDoubleClickStyle) && !isDoubleClick()) return;
    if (frame) frame->setFocusView(this);
    onFocusTaken(context);
}

void GuiTextField::onFocusTaken(GuiDrawContext* context) {
    gui_platform::Window* window = frame ? frame->getWindow() : nullptr;
    if (!window || editField) return;

    GuiRect box = size;
    if (context) box = box.movedBy(context->offset.h, context->offset.v);

    gui_platform::EditFieldSetup setup;
    setup.box = box;
    setup.text = storedText;
    setup.font.id = fontId < 0 || fontId >= kGuiFontCount ? fontSystem : fontId;
    setup.font.size = GuiDrawContext::defaultFontSize(setup.font.id);
    setup.font.bold = false;  // the edit field always uses the regular weight
    setup.textColor = fontColor;
    setup.backColor = backColor;
    setup.align = alignment == alignCenter || alignment == alignRight ? alignment : alignLeft;
    editField = window->createEditField(setup, &editEvents);
}

// Runs from the frame (a press, a focus change, teardown) or from the edit field itself; it
// may destroy the edit field that is calling it, so nothing touches the field afterwards.
void GuiTextField::onFocusLost(GuiDrawContext* context) {
    if (!editField || !frame || frame->getFocusView() != this) return;
    frame->setFocusView(nullptr);

    char oldText[kGuiTextSize];
    std::memcpy(oldText, storedText, sizeof oldText);
    char edited[kGuiTextSize] = "";
    editField->getText(edited, kEditReadCapacity);
    edited[kEditReadCapacity - 1] = '\0';  // whatever the field did, the text stays terminated
    copyText(storedText, edited);
    editField.reset();

    const bool changed = std::strcmp(oldText, storedText) != 0;
    if (changed) setDirty(true);
    if (changed && listener) {
        // A change made outside a paint or press redraws through a context of our own.
        std::unique_ptr<gui_platform::Device> device;
        std::unique_ptr<GuiDrawContext> ownContext;
        gui_platform::Window* window = frame->getWindow();
        if (!context && window && frame->isOpen()) {
            device = window->openDevice();
            if (device) {
                ownContext.reset(new GuiDrawContext(frame, device.get(), window));
                if (parentView) {
                    const GuiRect& parentBounds = parentView->getBounds();
                    ownContext->offset = GuiPoint{parentBounds.left, parentBounds.top};
                }
                context = ownContext.get();
            }
        }
        listener->valueChanged(context, this);
    }

    GuiView* told = parentView ? parentView : frame;
    told->notify(this, "LooseFocus");
}

void GuiTextField::setText(const char* newText) {
    if (!newText) return;
    char cut[kGuiTextSize];
    copyText(cut, newText);
    if (std::strcmp(cut, storedText) == 0) return;
    std::memcpy(storedText, cut, sizeof storedText);
    setDirty(true);
}

void GuiTextField::getText(char* out) const {
    if (out) std::memcpy(out, storedText, sizeof storedText);
}

void GuiTextField::setTextFormatter(GuiTextFormatterWithData formatter, void* data) {
    textFormatterWithData = formatter;
    userData = data;
}

void GuiTextField::setTextFormatter(GuiTextFormatter formatter) { textFormatter = formatter; }
