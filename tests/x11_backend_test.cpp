// The X11 back end in-process: the toolkit's edit field, opening and closing the instrument's
// editor many times, a host window destroyed under the editor, and hosts without a server.
#include "tests/x11_test_support.h"

#include <X11/extensions/XRes.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "gui/views/gui_text_field.h"
#include "editor/synth_editor.h"
#include "gui/frame.h"
#include "gui/platform/platform.h"
#include "plugin/synth_plugin.h"

namespace {

using x11_test::pumpUntil;
using x11_test::TestHostWindow;

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    return 0;
}

// Errors that reach the host's handler, which the editor's own trap must keep away.
int hostErrors = 0;
int countHostError(Display*, XErrorEvent*) {
    ++hostErrors;
    return 0;
}

struct EditRecorder : GuiControlListener {
    std::vector<std::string> reported;
    void valueChanged(GuiDrawContext*, GuiControl* control) override {
        char text[kGuiTextSize] = {};
        static_cast<GuiTextField*>(control)->getText(text);
        reported.push_back(text);
    }
};

// The edit ends on Return, or when the keyboard focus goes elsewhere (the host takes it).
struct EditEndCase {
    const char* name;
    bool byReturn;
};
void PrintTo(const EditEndCase& end, std::ostream* out) { *out << end.name; }

class X11EditField : public ::testing::TestWithParam<EditEndCase> {};

TEST_P(X11EditField, TakesKeysAndReportsTheTextOnceWhenItEnds) {
    REQUIRE_TEST_DISPLAY();
    TestHostWindow host(200, 60);
    ASSERT_TRUE(host.valid());
    GuiFrame* frame = new GuiFrame(GuiRect{0, 0, 200, 60}, host.handle(), nullptr);
    ASSERT_NE(frame->getWindow(), nullptr);
    EditRecorder recorder;
    GuiTextField* field = new GuiTextField(GuiRect{10, 10, 150, 30}, &recorder, 7, "hello", nullptr, 0);
    frame->addView(field);

    auto serve = [&] { frame->idle(); };
    host.moveTo(50, 20);
    host.button(true);
    ASSERT_TRUE(pumpUntil(serve, [&] { return field->isEditing(); }));
    host.button(false);
    EXPECT_EQ(host.childCount(), 1);  // the editor's window (the field is inside it)

    // Typing replaces the initial selection; then the caret keys edit inside the text.
    for (const char* key : {"a", "b", "c", "Left", "BackSpace", "Home", "x", "End", "Delete"}) host.key(key);
    host.key("Left", true);  // Shift+Left selects the last character ...
    host.key("y");           // ... which typing replaces
    if (GetParam().byReturn) {
        host.key("Return");
    } else {
        XSetInputFocus(host.connection(), static_cast<::Window>(reinterpret_cast<uintptr_t>(host.handle())),
                       RevertToParent, CurrentTime);
        XSync(host.connection(), False);
    }
    ASSERT_TRUE(pumpUntil(serve, [&] { return !field->isEditing(); }));
    EXPECT_EQ(recorder.reported, std::vector<std::string>{"xay"});
    EXPECT_STREQ(field->text(), "xay");
    delete frame;
}

INSTANTIATE_TEST_SUITE_P(Ends, X11EditField,
                         ::testing::Values(EditEndCase{"Return", true}, EditEndCase{"FocusLost", false}),
                         [](const ::testing::TestParamInfo<EditEndCase>& info) { return info.param.name; });

struct EditorFixture : ::testing::Test {
    void SetUp() override {
        plugin.reset(new SynthPlugin(quietHost, createSynthEditor));
        plugin->setSampleRate(44100.0f);
    }
    VstIntPtr open(void* parent) { return plugin->dispatcher(effEditOpen, 0, 0, parent, 0.0f); }
    void idle() { plugin->dispatcher(effEditIdle, 0, 0, nullptr, 0.0f); }
    void close() { plugin->dispatcher(effEditClose, 0, 0, nullptr, 0.0f); }
    std::unique_ptr<SynthPlugin> plugin;
};

using X11Editor = EditorFixture;

int clientCount(Display* display) {
    int count = -1;
    XResClient* clients = nullptr;
    if (!XResQueryClients(display, &count, &clients)) return -1;
    XFree(clients);
    return count;
}

TEST_F(X11Editor, OpenAndCloseManyTimesLeavesNothingBehind) {
    REQUIRE_TEST_DISPLAY();
    TestHostWindow host(600, 250);
    ASSERT_TRUE(host.valid());
    int eventBase = 0, errorBase = 0;
    const bool haveXRes = XResQueryExtension(host.connection(), &eventBase, &errorBase);
    const int clientsBefore = haveXRes ? clientCount(host.connection()) : 0;
    for (int round = 0; round < 200; ++round) {
        ASSERT_EQ(open(host.handle()), 1) << "round " << round;
        idle();
        close();
    }
    EXPECT_EQ(host.childCount(), 0);
    if (haveXRes) {
        EXPECT_EQ(clientCount(host.connection()), clientsBefore);
    }
}

// The host may tear its window down and only then close the editor, with or without idle
// calls in between: nothing crashes and no X error reaches the host's handler.
struct HostGoneCase {
    const char* name;
    bool idleAfterwards;
};
void PrintTo(const HostGoneCase& gone, std::ostream* out) { *out << gone.name; }

class X11EditorHostGone : public EditorFixture, public ::testing::WithParamInterface<HostGoneCase> {};

TEST_P(X11EditorHostGone, NoCrashAndNoErrorForTheHost) {
    REQUIRE_TEST_DISPLAY();
    const bool idleAfterwards = GetParam().idleAfterwards;
    TestHostWindow host(600, 250);
    ASSERT_TRUE(host.valid());
    hostErrors = 0;
    const XErrorHandler previous = XSetErrorHandler(&countHostError);
    ASSERT_EQ(open(host.handle()), 1);
    for (int i = 0; i < 5; ++i) idle();
    host.destroy();
    if (idleAfterwards) {
        for (int i = 0; i < 5; ++i) {
            idle();
            x11_test::pause(10);
        }
    }
    close();
    XSync(host.connection(), False);
    EXPECT_EQ(hostErrors, 0);
    XSetErrorHandler(previous);
}

INSTANTIATE_TEST_SUITE_P(Idle, X11EditorHostGone,
                         ::testing::Values(HostGoneCase{"ClosedAtOnce", false}, HostGoneCase{"IdledAfterwards", true}),
                         [](const ::testing::TestParamInfo<HostGoneCase>& info) { return info.param.name; });

// A click that is over before the host's next idle call (hosts idle every 20 to 100 ms) is
// still a click: the switch toggles.
TEST_F(X11Editor, ClickEndedBeforeTheNextIdleStillCounts) {
    REQUIRE_TEST_DISPLAY();
    TestHostWindow host(600, 250);
    ASSERT_TRUE(host.valid());
    ASSERT_EQ(open(host.handle()), 1);
    idle();
    const float before = plugin->getParameter(26);
    host.moveTo(225, 121);  // the switch of row 26
    host.button(true);
    host.button(false);
    ASSERT_TRUE(pumpUntil([&] { idle(); }, [&] { return plugin->getParameter(26) != before; }));
    close();
}

// The X server goes away under an open editor (it stopped, the network dropped): the editor's
// window counts as destroyed and closing it ends nothing else. The host keeps its own
// connection alive by its own handlers, as a host that survives this must.
int keepHostGoing(Display*) { return 0; }
void hostConnectionLost(Display*, void*) {}

TEST_F(X11Editor, ServerGoneUnderAnOpenEditorEndsOnlyTheWindow) {
    REQUIRE_TEST_DISPLAY();
    const std::string state = ::testing::TempDir() + "/x11_private_server";
    const std::string server = std::string("sh '") + X11_SERVER_SCRIPT + "' ";
    ASSERT_EQ(std::system((server + "start '" + state + "'").c_str()), 0);
    std::istringstream named(x11_test::readFile(state));
    std::string privateDisplay;
    named >> privateDisplay;
    const std::string shared = std::getenv("DISPLAY");
    setenv("DISPLAY", privateDisplay.c_str(), 1);
    const XIOErrorHandler previous = XSetIOErrorHandler(&keepHostGoing);
    {
        TestHostWindow host(600, 250);
        ASSERT_TRUE(host.valid());
        XSetIOErrorExitHandler(host.connection(), &hostConnectionLost, nullptr);
        ASSERT_EQ(open(host.handle()), 1);
        idle();
        std::system((server + "stop '" + state + "'").c_str());
        GuiFrame* frame = static_cast<SynthEditor*>(plugin->getEditor())->getFrame();
        EXPECT_TRUE(pumpUntil([&] { idle(); }, [&] { return !frame->isOpen(); }));
        close();
    }
    EXPECT_EQ(XSetIOErrorHandler(previous), &keepHostGoing);
    setenv("DISPLAY", shared.c_str(), 1);
}

// Editors of several instances share the process's one error handler slot: the last one to
// close gives the host its handler back, whichever closes first.
TEST_F(X11Editor, SeveralEditorsGiveTheHostItsErrorHandlerBack) {
    REQUIRE_TEST_DISPLAY();
    TestHostWindow first(600, 250), second(600, 250);
    ASSERT_TRUE(first.valid() && second.valid());
    SynthPlugin other(quietHost, createSynthEditor);
    hostErrors = 0;
    const XErrorHandler previous = XSetErrorHandler(&countHostError);
    ASSERT_EQ(open(first.handle()), 1);
    ASSERT_EQ(other.dispatcher(effEditOpen, 0, 0, second.handle(), 0.0f), 1);
    idle();
    close();
    second.destroy();
    other.dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    other.dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
    XSync(first.connection(), False);
    EXPECT_EQ(hostErrors, 0);
    EXPECT_EQ(XSetErrorHandler(previous), &countHostError);
}

// The help picture closes on any click or key; a message only on its OK button, Return,
// Escape or space. The user is played from a second connection, as the modal window keeps
// this thread until it is dismissed.
struct ModalCase {
    const char* name;
    bool message;
    // Each step: a click at the window's fraction (x, y) in hundredths, or a key by name.
    std::vector<std::string> steps;
    int stepsThatClose;  // the index of the step that must close it
};
void PrintTo(const ModalCase& modal, std::ostream* out) { *out << modal.name; }

const ModalCase kModals[] = {
    {"PictureClick", false, {"click 10 10"}, 0},
    {"PictureKey", false, {"key Escape"}, 0},
    {"MessageBesideOkThenOk", true, {"click 5 5", "key a", "click 50 75"}, 2},
    {"MessageReturn", true, {"key Return"}, 0},
};

// The first top-level window that is shown and is neither of the two test windows.
::Window shownTopLevel(Display* display, ::Window host, ::Window hands) {
    ::Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (children[i] != host && children[i] != hands && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
    }
    if (children) XFree(children);
    return found;
}

class X11Modal : public ::testing::TestWithParam<ModalCase> {};

TEST_P(X11Modal, ClosesOnlyAsItShould) {
    REQUIRE_TEST_DISPLAY();
    const ModalCase& modal = GetParam();
    TestHostWindow host(600, 250);
    ASSERT_TRUE(host.valid());
    std::unique_ptr<gui_platform::Window> editor = gui_platform::createWindow(host.handle(), 600, 250, nullptr);
    ASSERT_NE(editor, nullptr);
    const ::Window hostId = static_cast<::Window>(reinterpret_cast<uintptr_t>(host.handle()));

    int closedAt = -1;
    std::thread user([&] {
        TestHostWindow hands(1, 1);  // a connection of the user's own
        Display* display = hands.connection();
        const ::Window handsId = static_cast<::Window>(reinterpret_cast<uintptr_t>(hands.handle()));
        ::Window shown = 0;
        for (int i = 0; i < 200 && !shown; ++i, x11_test::pause(10)) shown = shownTopLevel(display, hostId, handsId);
        if (!shown) return;
        x11_test::pause(100);
        for (size_t step = 0; step < modal.steps.size() && closedAt < 0; ++step) {
            std::istringstream words(modal.steps[step]);
            std::string kind, key;
            int fx = 0, fy = 0;
            words >> kind;
            if (kind == "click") {
                words >> fx >> fy;
                XWindowAttributes attributes;
                XGetWindowAttributes(display, shown, &attributes);
                int x = 0, y = 0;
                ::Window child = 0;
                XTranslateCoordinates(display, shown, attributes.root, attributes.width * fx / 100,
                                      attributes.height * fy / 100, &x, &y, &child);
                XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
                hands.button(true);
                hands.button(false);
            } else {
                words >> key;
                hands.key(key);
            }
            x11_test::pause(200);
            if (shownTopLevel(display, hostId, handsId) != shown) closedAt = int(step);
        }
        // Whatever happened, the window must not keep the test waiting.
        if (closedAt < 0) hands.key("Escape");
    });
    if (modal.message) {
        gui_platform::showMessage(editor.get(), "Error 5", "Error in Tirvo");
    } else {
        EXPECT_EQ(gui_platform::showModalPicture(114, editor.get()), 0u);
    }
    user.join();
    EXPECT_EQ(closedAt, modal.stepsThatClose);
}

INSTANTIATE_TEST_SUITE_P(Windows, X11Modal, ::testing::ValuesIn(kModals),
                         [](const ::testing::TestParamInfo<ModalCase>& info) { return info.param.name; });

// A host window that cannot be drawn in: open answers 0 and the editor stays closed.
TEST_F(X11Editor, NoServerOrNoWindowAnswersZero) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    static char notAWindow;
    for (const char* without : {"", ":54321"}) {  // unset, and a server that is not there
        if (*without)
            setenv("DISPLAY", without, 1);
        else
            unsetenv("DISPLAY");
        EXPECT_EQ(open(&notAWindow), 0) << without;
        EXPECT_EQ(static_cast<SynthEditor*>(plugin->getEditor())->getFrame(), nullptr);
        close();
    }
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);

    if (!x11_test::useTestDisplay()) return;
    EXPECT_EQ(open(reinterpret_cast<void*>(uintptr_t(0x7ffffff0))), 0);  // no such window
    close();
}

}  // namespace
