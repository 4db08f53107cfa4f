// AEffGUIEditor: host editor requests, the process-wide knob mode and the pacing of the idle
// work done during mouse tracking, measured against the scripted clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/gui_views_support.h"

namespace {

using namespace gui_test;

constexpr uint32_t kSleepMs = 4;
constexpr uint32_t kWorkGapMs = 50;
constexpr uint32_t kClockStart = 1000;  // the scripted clock after reset

class TrackingIdle : public EditorFixture {
protected:
    // Host idle requests made so far: one per round of idle work.
    int workDone() const { return hostLog().count(audioMasterIdle); }

    // Calls idleDuringTracking once and tells whether it did the work.
    bool call() {
        const int before = workDone();
        editor->idleDuringTracking();
        return workDone() > before;
    }
};

TEST_F(TrackingIdle, BackToBackCallsSleepFourMsAndWorkAboutEvery50Ms) {
    std::vector<uint32_t> workTimes;
    const int sleepsBefore = mem::sleepCalls();
    for (int i = 0; i < 200; ++i) {
        const uint32_t at = gui_platform::tickCount();
        if (call()) workTimes.push_back(at);
    }
    ASSERT_GE(workTimes.size(), 3u);
    EXPECT_EQ(workTimes.front(), kClockStart) << "the first call works at once";
    for (size_t i = 1; i < workTimes.size(); ++i) {
        const uint32_t gap = workTimes[i] - workTimes[i - 1];
        EXPECT_GE(gap, kWorkGapMs - kSleepMs) << i;
        EXPECT_LE(gap, kWorkGapMs + kSleepMs) << i;
    }
    // Every call but the first slept exactly once, 4 ms each time.
    const int sleeps = mem::sleepCalls() - sleepsBefore;
    EXPECT_EQ(sleeps, 199);
    EXPECT_EQ(gui_platform::tickCount() - kClockStart, static_cast<uint32_t>(sleeps) * kSleepMs);
    // Each round of work served pending repaints once.
    EXPECT_EQ(mem::serveRepaintCalls(), static_cast<int32_t>(workTimes.size()));
}

TEST_F(TrackingIdle, TwoCalls10MsApartWorkOnlyOnce) {
    EXPECT_TRUE(call());
    const int sleepsBefore = mem::sleepCalls();
    mem::advanceClock(10);
    EXPECT_FALSE(call());
    EXPECT_EQ(mem::sleepCalls() - sleepsBefore, 1);
    EXPECT_EQ(mem::totalSleptMilliseconds(), kSleepMs);
}

TEST_F(TrackingIdle, CallsEvery5MsFor200MsWorkFourOrFiveTimes) {
    std::vector<uint32_t> workTimes;
    for (uint32_t t = 0; t < 200; t += 5) {
        mem::setTickCount(kClockStart + t);
        if (call()) workTimes.push_back(t);
    }
    EXPECT_GE(workTimes.size(), 4u);
    EXPECT_LE(workTimes.size(), 5u);
    for (size_t i = 1; i < workTimes.size(); ++i) {
        EXPECT_GE(workTimes[i] - workTimes[i - 1], kWorkGapMs - kSleepMs);
        EXPECT_LE(workTimes[i] - workTimes[i - 1], kWorkGapMs + kSleepMs);
    }
}

TEST_F(TrackingIdle, APauseOf100MsMakesTheNextCallWorkAtOnce) {
    EXPECT_TRUE(call());
    mem::advanceClock(100);
    const int sleepsBefore = mem::sleepCalls();
    EXPECT_TRUE(call());
    EXPECT_EQ(mem::sleepCalls(), sleepsBefore);
}

TEST_F(TrackingIdle, PacingCarriesOnAcrossTheClockWrap) {
    mem::setTickCount(0xFFFFFFF0u);
    std::vector<uint32_t> workTimes;
    for (int i = 0; i < 100; ++i) {
        const uint32_t at = gui_platform::tickCount();
        if (call()) workTimes.push_back(at);
    }
    // 100 calls of 4 ms run about 400 ms past the wrap: still work about every 50 ms.
    ASSERT_GE(workTimes.size(), 7u);
    for (size_t i = 1; i < workTimes.size(); ++i) {
        const uint32_t gap = workTimes[i] - workTimes[i - 1];
        EXPECT_GE(gap, kWorkGapMs - kSleepMs) << i;
        EXPECT_LE(gap, kWorkGapMs + kSleepMs) << i;
    }
}

TEST_F(TrackingIdle, HostIdleCallingBackIntoTheEditorIsANoOp) {
    int updatesInside = -1;
    hostLog().onIdle = [&] {
        editor->postUpdate();
        const int before = editor->updates;
        editor->idle();  // the host idles the editor from inside its idle request
        updatesInside = editor->updates - before;
    };
    EXPECT_TRUE(call());
    EXPECT_EQ(updatesInside, 0);
    EXPECT_EQ(editor->updates, 1) << "the update flagged by open ran once, before the host idle";
    hostLog().onIdle = nullptr;
    editor->idle();  // outside tracking the flag set inside is honoured
    EXPECT_EQ(editor->updates, 2);
}

TEST_F(TrackingIdle, WithoutAPluginThereIsNoHostIdle) {
    TestEditor lonely(nullptr);
    lonely.idleDuringTracking();  // must not crash
    EXPECT_EQ(workDone(), 0);
}

// ---- host requests ----

TEST(EditorBase, ConstructionRegistersTheEditorWithThePlugin) {
    mem::reset();
    FakePlugin plugin;
    EXPECT_EQ(plugin.getAeffect()->flags & effFlagsHasEditor, 0);
    auto* editor = new TestEditor(&plugin);  // owned by the plug-in from here on
    EXPECT_EQ(plugin.getEditor(), editor);
    EXPECT_NE(plugin.getAeffect()->flags & effFlagsHasEditor, 0);
}

TEST(EditorBase, GetRectBeforeOpenGivesTheEditorsRectangle) {
    mem::reset();
    FakePlugin plugin;
    auto* editor = new TestEditor(&plugin);
    ERect* rect = nullptr;
    EXPECT_EQ(editor->getRect(&rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 250);
    EXPECT_EQ(rect->right, 600);
    EXPECT_EQ(editor->getRect(nullptr), 0);
}

TEST(EditorBase, KeysWhileClosedAreNotUsed) {
    mem::reset();
    FakePlugin plugin;
    auto* editor = new TestEditor(&plugin);
    VstKeyCode key{};
    key.virt = VKEY_UP;
    EXPECT_EQ(editor->onKeyDown(key), -1);
    EXPECT_EQ(editor->onKeyUp(key), -1);
}

TEST(EditorBase, KnobModeIsSharedByEditorsOpenedLater) {
    mem::reset();
    FakePlugin first;
    auto* firstEditor = new TestEditor(&first);
    firstEditor->open(reinterpret_cast<void*>(uintptr_t{0x100}));
    EXPECT_EQ(firstEditor->setKnobMode(2), 1);
    firstEditor->close();
    FakePlugin second;
    auto* secondEditor = new TestEditor(&second);
    secondEditor->open(reinterpret_cast<void*>(uintptr_t{0x200}));
    EXPECT_EQ(secondEditor->getFrame()->knobMode(), 2);
    EXPECT_EQ(AEffGUIEditor::knobMode(), 2);
    secondEditor->setKnobMode(0);
}

TEST(EditorBase, IdleRunsAFlaggedUpdateThenRedrawsDirtyViews) {
    mem::reset();
    FakePlugin plugin;
    auto* editor = new TestEditor(&plugin);
    editor->idle();
    EXPECT_EQ(editor->updates, 0);
    editor->open(reinterpret_cast<void*>(uintptr_t{0x100}));  // asks for a refresh
    editor->idle();
    EXPECT_EQ(editor->updates, 1);
    editor->idle();
    EXPECT_EQ(editor->updates, 1);
    editor->setParameter(3, 0.5f);
    editor->idle();
    EXPECT_EQ(editor->updates, 2);
}

TEST(EditorBase, DrawAsksTheWindowForARepaint) {
    mem::reset();
    FakePlugin plugin;
    auto* editor = new TestEditor(&plugin);
    editor->draw(nullptr);  // closed: nothing to repaint
    editor->open(reinterpret_cast<void*>(uintptr_t{0x100}));
    mem::MemoryWindow* window = mem::lastWindow();
    ERect area{10, 20, 30, 40};
    editor->draw(&area);
    ASSERT_TRUE(window->hasPendingRepaint());
    EXPECT_EQ(window->pendingArea().left, 20);
    EXPECT_EQ(window->pendingArea().bottom, 30);
}

}  // namespace
