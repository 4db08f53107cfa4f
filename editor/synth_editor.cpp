// SynthEditor: builds the panel from the control table and keeps it in step with the plug-in.
#include "editor/synth_editor.h"

#include <cstdio>

#include "gui/views/gui_image_strip.h"
#include "gui/views/gui_momentary_button.h"
#include "gui/views/gui_strip_knob.h"
#include "gui/views/gui_text_field.h"
#include "editor/synth_switch.h"
#include "gui/bitmap.h"
#include "gui/frame.h"
#include "gui/platform/platform.h"
#include "plugin/synth_plugin.h"

namespace {
constexpr uint32_t kRefreshIntervalMs = 100;
constexpr float kVoiceStep = 0.0625f;  // one indicator image per sounding voice
constexpr int32_t kTextBufferSize = 1024;

GuiRect toRect(const SynthLayoutBox& box) { return GuiRect{box.left, box.top, box.right, box.bottom}; }
GuiPoint topLeft(const SynthLayoutBox& box) { return GuiPoint{box.left, box.top}; }

const GuiRect kVoiceIndicatorRect = toRect(kSynthVoiceIndicatorBox);
const GuiRect kHelpButtonRect = toRect(kSynthHelpButtonBox);
}  // namespace

SynthEditor::SynthEditor(SynthPlugin* plugin) : AEffGUIEditor(plugin), plugin(plugin) {
    rect.top = 0;
    rect.left = 0;
    rect.bottom = kHeight;
    rect.right = kWidth;
}

SynthEditorLink* createSynthEditor(SynthPlugin* plugin) { return new SynthEditor(plugin); }

SynthEditor::~SynthEditor() {
    if (isOpen) close();
}

VstInt32 SynthEditor::open(void* parentWindow) {
    if (isOpen) close();  // a second open without a close starts afresh
    AEffGUIEditor::open(parentWindow);

    frame = new GuiFrame(GuiRect{0, 0, kWidth, kHeight}, parentWindow, this);
    // A host window we cannot draw in (no display server, a stale window id): the host
    // hears the editor did not open rather than showing an empty window.
    if (parentWindow && !frame->getWindow()) {
        delete frame;
        frame = nullptr;
        return 0;
    }

    background = new GuiBitmap(kBackgroundBitmap);
    frame->setBackground(background);
    for (int kind = 0; kind < 4; ++kind) {
        knobStrips[kind] = new GuiBitmap(kFirstKnobStrip + kind);
        knobStrips[kind]->setTransparentColor(colorYellow);
    }
    switchBitmap = new GuiBitmap(kSwitchBitmap);
    switchBitmap->setTransparentColor(colorYellow);
    voiceStrip = new GuiBitmap(kVoiceBitmap);

    // isOpen goes up before the rows are built so that each read-out can be filled in as it
    // is made.
    isOpen = true;
    for (int row = 0; row < kSynthLayoutRowCount; ++row) createRowViews(row);

    voiceIndicator = new GuiImageStrip(kVoiceIndicatorRect, this, kHelpTag, kVoiceImages, kVoiceImageHeight,
                                       voiceStrip, GuiPoint{0, 0});
    voiceIndicator->setValue(0.0f);
    voiceIndicator->setMouseEnabled(false);
    frame->addView(voiceIndicator);

    helpButton = new GuiMomentaryButton(kHelpButtonRect, this, kHelpTag, 0, background,
                                        GuiPoint{kHelpButtonRect.left, kHelpButtonRect.top});
    frame->addView(helpButton);

    lastRefreshRequest = 0;
    requestRefresh();
    return 1;
}

void SynthEditor::createRowViews(int row) {
    const SynthLayoutRow& layout = kSynthLayout[row];
    GuiControl* control;
    if (layout.kind < kSynthLayoutSwitch) {
        const int kind = layout.kind < 0 ? 0 : layout.kind;
        control = new GuiStripKnob(toRect(synthControlBox(layout)), this, row, kKnobImages, kKnobImageHeight,
                                   knobStrips[kind], topLeft(synthControlBox(layout)));
    } else {
        control = new SynthSwitch(toRect(synthControlBox(layout)), this, row, switchBitmap);
    }
    controls[row] = control;
    // The first refresh comes with the first idle, but the host may paint or send keys
    // before that: start every control at its parameter's value, not at 0.
    if (plugin) control->setValue(plugin->getParameter(row));
    control->setTransparency(true);
    frame->addView(control);

    if (layout.hasLabel) {
        GuiTextField* label = new GuiTextField(toRect(synthLabelBox(layout)), this, kTextTagBase + row, layout.labelText,
                                               background, 0);
        label->setFont(fontSmaller);
        label->setTextColor(colorBlack);
        label->setImageOffset(topLeft(synthLabelBox(layout)));
        label->setMouseEnabled(false);
        labels[row] = label;
        frame->addView(label);
    }
    if (layout.hasValueDisplay) {
        GuiTextField* display = new GuiTextField(toRect(synthValueBox(layout)), this, kTextTagBase + row, "", background, 0);
        display->setFont(fontSmaller);
        display->setTextColor(colorCyan);
        display->setImageOffset(topLeft(synthValueBox(layout)));
        display->setMouseEnabled(false);
        valueDisplays[row] = display;
        refreshValueDisplay(row);
        frame->addView(display);
    }
}

void SynthEditor::close() {
    isOpen = false;
    // The frame releases its views, and with them their references on the bitmaps.
    delete frame;
    frame = nullptr;
    releaseBitmaps();
    // The views are gone: no pointer to them is kept.
    for (int row = 0; row < kSynthLayoutRowCount; ++row) {
        controls[row] = nullptr;
        labels[row] = nullptr;
        valueDisplays[row] = nullptr;
    }
    voiceIndicator = nullptr;
    helpButton = nullptr;
}

void SynthEditor::releaseBitmaps() {
    GuiBitmap** owned[] = {&background, &knobStrips[0], &knobStrips[1], &knobStrips[2],
                           &knobStrips[3], &switchBitmap, &voiceStrip};
    for (GuiBitmap** bitmap : owned) {
        if (*bitmap) (*bitmap)->dropReference();
        *bitmap = nullptr;
    }
}

// The audio thread only stores the count; the indicator, a view, is touched here on the
// user-interface thread, where close cannot pull it away mid-store.
void SynthEditor::idle() {
    if (isOpen && voiceIndicator && !inTrackingIdle) voiceIndicator->setValue(activeVoices * kVoiceStep);
    AEffGUIEditor::idle();
}

void SynthEditor::update() {
    if (!plugin || !isOpen) return;
    for (int index = 0; index < kSynthLayoutRowCount; ++index) {
        controls[index]->setValue(plugin->getParameter(index));
        refreshValueDisplay(index);
    }
}

// The difference is taken on the wrapping clock. A difference that reads negative as a signed
// number means more than 2^31 ms have passed, which is certainly long enough: treating it as
// "too soon" would drop every request until the clock came round again, so the panel of a
// machine up for 25 days would never follow the host.
void SynthEditor::requestRefresh() {
    const uint32_t now = gui_platform::tickCount();
    const int32_t elapsed = static_cast<int32_t>(now - lastRefreshRequest);
    if (elapsed > static_cast<int32_t>(kRefreshIntervalMs) || elapsed < 0) {
        postUpdate();
        lastRefreshRequest = now;
    }
}

void SynthEditor::showActiveVoices(int count) { activeVoices = count; }

bool SynthEditor::showsValueText(int row) const {
    const SynthLayoutRow& layout = kSynthLayout[row];
    if (!layout.hasValueDisplay) return false;
    if (!layout.dependent) return true;
    const int target = plugin ? plugin->modulationTarget(row) : -1;
    return target >= 0 && target < kSynthLayoutRowCount && kSynthLayout[target].hasValueDisplay;
}

void SynthEditor::refreshValueDisplay(int index) {
    if (!isOpen || index < 0 || index >= kSynthLayoutRowCount) return;
    GuiTextField* display = valueDisplays[index];
    if (!kSynthLayout[index].hasValueDisplay || !display) return;
    if (!showsValueText(index)) {
        display->setText("");
        return;
    }
    char value[kTextBufferSize] = {};
    char label[kTextBufferSize] = {};
    plugin->getParameterDisplay(index, value);
    plugin->getParameterLabel(index, label);
    char text[2 * kTextBufferSize + 1];
    std::snprintf(text, sizeof text, "%s %s", value, label);
    display->setText(text);
}

void SynthEditor::valueChanged(GuiDrawContext* context, GuiControl* control) {
    if (!isOpen || !control) return;
    const VstInt32 tag = control->getTag();
    if (tag >= 0 && tag < kSynthLayoutRowCount && plugin) plugin->setParameterFromEditor(tag, control->getValue());
    if (tag == kHelpTag && control->getValue() > 0.0f) showHelp(frame ? frame->getWindow() : nullptr);
    if (context) control->update(context);
}

void SynthEditor::showHelp(gui_platform::Window* owner) {
    const uint32_t error = gui_platform::showModalPicture(kHelpPicture, owner);
    if (error == 0) return;
    char text[32];
    std::snprintf(text, sizeof text, "Error %x", static_cast<unsigned>(error));
    gui_platform::showMessage(owner, text, "Error in Tirvo");
}

GuiControl* SynthEditor::getControl(int index) const {
    return index >= 0 && index < kSynthLayoutRowCount ? controls[index] : nullptr;
}

GuiTextField* SynthEditor::getLabel(int index) const {
    return index >= 0 && index < kSynthLayoutRowCount ? labels[index] : nullptr;
}

GuiTextField* SynthEditor::getValueDisplay(int index) const {
    return index >= 0 && index < kSynthLayoutRowCount ? valueDisplays[index] : nullptr;
}
