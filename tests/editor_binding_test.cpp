// The editor bound to the plug-in: read-outs and the rows that depend on a modulator's aim, the
// 100 ms refresh throttle, user gestures reaching the host, and the help picture.
#include "tests/editor_test_support.h"

#include <cstdint>

#include "gui/views/gui_momentary_button.h"
#include "engine/synth_lfo.h"
#include "plugin/synth_parameters.h"

namespace editor_test {
namespace {

constexpr int kL1Aim = 28;
constexpr int kL1Min = 29;
constexpr int kL1Max = 30;
constexpr int kLfo1Switch = 26;
constexpr int kE1Aim = 36;
constexpr int kE1Val = 38;
constexpr int kE1Rel = 39;
constexpr int kCutoff = 53;
constexpr int kLfoAims = 55;
constexpr int kEventAims = 64;
constexpr uint32_t kThrottleMs = 100;

// The middle of choice entry n of a choice of count entries.
float choiceValue(int n, int count) { return (n + 0.5f) / count; }

using EditorBinding = EditorTest;

TEST_F(EditorBinding, ReadoutIsDisplayBlankAndLabel) {
    openEditor();
    paintAndIdle();
    int checked = 0;
    for (int row = 0; row < kSynthLayoutRowCount; ++row) {
        if (!kSynthLayout[row].hasValueDisplay || kSynthLayout[row].dependent) continue;
        EXPECT_EQ(valueText(row), expectedReadout(row)) << row;
        // The blank is there even when the label is empty.
        char label[1024] = {};
        plugin->getParameterLabel(row, label);
        EXPECT_EQ(valueText(row).substr(valueText(row).size() - std::string(label).size() - 1, 1), " ") << row;
        ++checked;
    }
    EXPECT_EQ(checked, 38 - 12);  // twelve read-outs depend on an aim
    // Rows without a read-out have none.
    EXPECT_EQ(editor->getValueDisplay(0), nullptr);
    EXPECT_EQ(editor->getValueDisplay(kCutoff), nullptr);
}

TEST_F(EditorBinding, ControlsStartAtTheirParametersBeforeTheFirstIdle) {
    plugin->setParameter(62, 0.45f);
    openEditor();
    for (int row = 0; row < kSynthLayoutRowCount; ++row)
        EXPECT_EQ(editor->getControl(row)->getValue(), plugin->getParameter(row)) << row;
    // An arrow key before any idle moves "Comp", the last knob, from its own value.
    VstKeyCode up{0, VKEY_UP, 0};
    EXPECT_EQ(editor->onKeyDown(up), 1);
    EXPECT_NEAR(plugin->getParameter(62), 0.55f, 1e-6f);
}

TEST_F(EditorBinding, LfoAimDecidesWhetherItsBoundsShowReadouts) {
    openEditor();
    paintAndIdle();
    // Aim entry 0 is "Volume", which has no read-out of its own.
    ASSERT_EQ(plugin->modulationTarget(kL1Min), 0);
    EXPECT_EQ(valueText(kL1Min), "");
    EXPECT_EQ(valueText(kL1Max), "");

    // Aimed at "Pitch", which has one: from the next refresh on the bounds show text.
    mem::advanceClock(kThrottleMs + 1);
    plugin->setParameter(kL1Aim, choiceValue(2, kLfoAims));
    ASSERT_EQ(plugin->modulationTarget(kL1Min), 2);
    EXPECT_EQ(valueText(kL1Min), "");  // not before the refresh
    idle();
    EXPECT_FALSE(valueText(kL1Min).empty());
    EXPECT_EQ(valueText(kL1Min), expectedReadout(kL1Min));
    EXPECT_EQ(valueText(kL1Max), expectedReadout(kL1Max));

    // Back at "Volume": blank again.
    mem::advanceClock(kThrottleMs + 1);
    plugin->setParameter(kL1Aim, 0.0f);
    idle();
    EXPECT_EQ(valueText(kL1Min), "");
    EXPECT_EQ(valueText(kL1Max), "");
}

TEST_F(EditorBinding, EventAimAtTheTopSelectsNothingAndLeavesItsReadoutsEmpty) {
    plugin->setParameter(kE1Aim, 0.99f);
    openEditor();
    paintAndIdle();
    ASSERT_EQ(plugin->modulationTarget(kE1Val), kNoEventTarget);
    EXPECT_EQ(valueText(kE1Val), "");
    EXPECT_EQ(valueText(kE1Rel), "");
    // The aim's own read-out still says what it aims at.
    EXPECT_EQ(valueText(kE1Aim), expectedReadout(kE1Aim));

    struct Case {
        int aim;
        bool shows;
    } cases[] = {{5, true}, {0, false}, {2, true}, {kNoEventTarget, false}};
    for (const Case& c : cases) {
        mem::advanceClock(kThrottleMs + 1);
        plugin->setParameter(kE1Aim, choiceValue(c.aim, kEventAims));
        ASSERT_EQ(plugin->modulationTarget(kE1Val), c.aim);
        idle();
        EXPECT_EQ(valueText(kE1Val), c.shows ? expectedReadout(kE1Val) : "") << c.aim;
        EXPECT_EQ(valueText(kE1Rel), c.shows ? expectedReadout(kE1Rel) : "") << c.aim;
    }
}

// Whether the next idle runs a refresh: a control holding a value no parameter has is put back.
class RefreshProbe {
public:
    explicit RefreshProbe(GuiControl* probe) : probe(probe) { arm(); }
    void arm() { probe->setValue(kMarker); }
    bool refreshed() {
        const bool was = probe->getValue() != kMarker;
        arm();
        return was;
    }

private:
    static constexpr float kMarker = -7.0f;
    GuiControl* probe;
};

TEST_F(EditorBinding, ManyChangesWithin100MillisecondsGiveOneRefresh) {
    mem::setTickCount(50000);
    openEditor();
    paintAndIdle();  // the refresh asked for at opening
    RefreshProbe probe(control(1));
    idle();
    EXPECT_FALSE(probe.refreshed());

    mem::advanceClock(kThrottleMs + 1);
    for (int i = 0; i < 40; ++i) {
        plugin->setParameter(2, i / 40.0f);
        mem::advanceClock(2);  // 80 ms of changes in all
    }
    idle();
    EXPECT_TRUE(probe.refreshed());
    EXPECT_EQ(control(2)->getValue(), 39 / 40.0f);
    idle();
    EXPECT_FALSE(probe.refreshed());

    // 100 ms after the last request passed on is still too soon; 101 ms is not.
    mem::setTickCount(50000 + kThrottleMs + 1 + kThrottleMs);
    plugin->setParameter(2, 0.25f);
    idle();
    EXPECT_FALSE(probe.refreshed());
    mem::advanceClock(1);
    plugin->setParameter(2, 0.75f);
    idle();
    EXPECT_TRUE(probe.refreshed());
    EXPECT_EQ(control(2)->getValue(), 0.75f);
}

TEST_F(EditorBinding, ThrottleKeepsWorkingAcrossTheClockWrap) {
    // Opened on a machine up for more than 2^31 ms: the clock reads "negative" from 0.
    mem::setTickCount(0x80000010u);
    openEditor();
    paintAndIdle();
    RefreshProbe probe(control(1));
    mem::advanceClock(kThrottleMs + 1);
    plugin->setParameter(2, 0.3f);
    idle();
    EXPECT_TRUE(probe.refreshed());

    // Across the 2^32 wrap the spacing is still measured in milliseconds.
    mem::setTickCount(0xFFFFFFF0u);
    editor->requestRefresh();
    idle();
    EXPECT_TRUE(probe.refreshed());
    mem::setTickCount(0xFFFFFFF0u + kThrottleMs);  // wraps to 0x54
    editor->requestRefresh();
    idle();
    EXPECT_FALSE(probe.refreshed());
    mem::advanceClock(1);
    editor->requestRefresh();
    idle();
    EXPECT_TRUE(probe.refreshed());
}

TEST_F(EditorBinding, RefreshRequestsWhileClosedReachTheNextOpening) {
    // Only the flag is stored while closed; no view is touched.
    for (int i = 0; i < 10; ++i) plugin->setParameter(2, 0.1f * i);
    openEditor();
    paintAndIdle();
    EXPECT_FLOAT_EQ(control(2)->getValue(), 0.9f);
    EXPECT_EQ(valueText(2), expectedReadout(2));
}

// An LFO aimed at Cutoff runs; the user drags the Cutoff knob 40 pixels (knob mode 2: linear,
// 200 pixels for the range) in one move, so that the LFO is re-anchored once between two of its
// ticks.
TEST_F(EditorBinding, KnobDragReachesPluginHostAndLfo) {
    constexpr int kDragPixels = 40;
    constexpr float kValueTolerance = 1e-5f;
    constexpr float kLfoTolerance = 1e-3f;
    plugin->setParameter(kLfo1Switch, 1.0f);
    plugin->setParameter(kL1Aim, choiceValue(45, kLfoAims));
    ASSERT_EQ(plugin->modulationTarget(kL1Aim), kCutoff);
    openEditor();
    paintAndIdle();

    // Past the LFO's rest after its aim changed (one second) on 50-sample ticks.
    float left[500], right[500];
    float* outputs[2] = {left, right};
    while (plugin->getSampleClock() < 50000) plugin->renderBlock(nullptr, outputs, 500, true);
    const float before = plugin->getParameter(kCutoff);
    const int64_t lastTick = (plugin->getSampleClock() - 1) / 50 * 50;
    {
        SynthLfo lfo = plugin->getLfo(0);
        ASSERT_NEAR(lfo.valueAt(lastTick), before, kLfoTolerance);  // the LFO did write Cutoff
    }
    mem::advanceClock(kThrottleMs + 1);
    editor->requestRefresh();
    idle();
    ASSERT_EQ(control(kCutoff)->getValue(), before);

    editor->setKnobMode(2);
    hostRequests().clear();
    const int direction = before > 0.5f ? -1 : 1;
    const GuiPoint centre{kSynthLayout[kCutoff].x, kSynthLayout[kCutoff].y};
    mem::queueDrag({window->toScreen(centre), window->toScreen(GuiPoint{centre.h + direction * kDragPixels, centre.v})});
    window->press(centre);

    const float expected = before + direction * kDragPixels / 200.0f;
    EXPECT_NEAR(plugin->getParameter(kCutoff), expected, kValueTolerance);
    EXPECT_NEAR(control(kCutoff)->getValue(), expected, kValueTolerance);

    // begin-edit, one or more automations, end-edit, all for Cutoff.
    std::vector<HostRequest> gesture;
    for (const HostRequest& r : hostRequests())
        if (r.opcode == audioMasterBeginEdit || r.opcode == audioMasterEndEdit || r.opcode == audioMasterAutomate)
            gesture.push_back(r);
    ASSERT_EQ(gesture.size(), 3u);
    EXPECT_EQ(gesture.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(gesture.back().opcode, audioMasterEndEdit);
    for (size_t i = 1; i + 1 < gesture.size(); ++i) EXPECT_EQ(gesture[i].opcode, audioMasterAutomate) << i;
    for (const HostRequest& r : gesture) EXPECT_EQ(r.index, kCutoff);
    EXPECT_NEAR(gesture[gesture.size() - 2].opt, expected, kValueTolerance);

    // The LFO carries on from where the user put its target.
    SynthLfo lfo = plugin->getLfo(0);
    EXPECT_NEAR(lfo.valueAt(lastTick), expected, kLfoTolerance);
}

TEST_F(EditorBinding, SwitchClickIsAutomatedWithoutEditBrackets) {
    openEditor();
    paintAndIdle();
    ASSERT_EQ(plugin->getParameter(3), 0.0f);
    hostRequests().clear();
    click(GuiPoint{kSynthLayout[3].x, kSynthLayout[3].y});
    EXPECT_EQ(plugin->getParameter(3), 1.0f);
    int automations = 0;
    for (const HostRequest& r : hostRequests()) {
        EXPECT_NE(r.opcode, audioMasterBeginEdit);
        if (r.opcode == audioMasterAutomate) {
            ++automations;
            EXPECT_EQ(r.index, 3);
            EXPECT_EQ(r.opt, 1.0f);
        }
    }
    EXPECT_EQ(automations, 1);
}

TEST_F(EditorBinding, HelpButtonShowsThePictureAndTouchesNoParameter) {
    openEditor();
    paintAndIdle();
    float before[kSynthLayoutRowCount];
    for (int i = 0; i < kSynthLayoutRowCount; ++i) before[i] = plugin->getParameter(i);
    hostRequests().clear();

    click(GuiPoint{515, 225});

    ASSERT_EQ(mem::shownPictures().size(), 1u);
    EXPECT_EQ(mem::shownPictures()[0].resourceId, 114);
    EXPECT_EQ(mem::shownPictures()[0].owner, window->nativeHandle());
    EXPECT_EQ(editor->getHelpButton()->getValue(), 0.0f);
    for (int i = 0; i < kSynthLayoutRowCount; ++i) EXPECT_EQ(plugin->getParameter(i), before[i]) << i;
    for (const HostRequest& r : hostRequests()) {
        // the button is no parameter: the host hears neither a change nor an edit gesture
        EXPECT_NE(r.opcode, audioMasterAutomate);
        EXPECT_NE(r.opcode, audioMasterBeginEdit);
        EXPECT_NE(r.opcode, audioMasterEndEdit);
    }
    EXPECT_TRUE(mem::shownMessages().empty());

    // A press beside the button shows nothing.
    click(GuiPoint{560, 225});
    EXPECT_EQ(mem::shownPictures().size(), 1u);
}

TEST_F(EditorBinding, HelpPictureThatCannotBeShownGivesAnErrorMessage) {
    openEditor();
    paintAndIdle();
    mem::failModalPictures(0x5b4);
    click(GuiPoint{515, 225});
    EXPECT_TRUE(mem::shownPictures().empty());
    ASSERT_EQ(mem::shownMessages().size(), 1u);
    EXPECT_EQ(mem::shownMessages()[0].text, "Error 5b4");
    EXPECT_EQ(mem::shownMessages()[0].caption, "Error in Tirvo");
    EXPECT_EQ(mem::shownMessages()[0].owner, window->nativeHandle());
    EXPECT_EQ(editor->getHelpButton()->getValue(), 0.0f);

    // Once the system can show it again, the picture comes and no message.
    mem::failModalPictures(0);
    click(GuiPoint{515, 225});
    EXPECT_EQ(mem::shownPictures().size(), 1u);
    EXPECT_EQ(mem::shownMessages().size(), 1u);
}

TEST_F(EditorBinding, HostChangesShowAtTheNextIdle) {
    openEditor();
    paintAndIdle();
    mem::advanceClock(kThrottleMs + 1);
    plugin->setParameter(5, choiceValue(3, 14));
    EXPECT_NE(control(5)->getValue(), choiceValue(3, 14));
    idle();
    EXPECT_EQ(control(5)->getValue(), choiceValue(3, 14));
    EXPECT_EQ(valueText(5), expectedReadout(5));
}

}  // namespace
}  // namespace editor_test
