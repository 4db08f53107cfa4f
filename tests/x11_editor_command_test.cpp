// `zelvik-render editor` with zelvik.so under the test X server: the screen against the offscreen
// snapshot, a drag and a click with the host calls they cause, the help picture, and a host
// window that goes away before the editor is closed.
#include "tests/x11_test_support.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "gui/platform/platform.h"

#include "tests/test_picture.h"

namespace {

using x11_test::RenderRun;
using x11_test::runRender;

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "/x11_" + name; }

std::string editorRun(const std::string& settings) {
    return std::string("editor '") + ZELVIK_NATIVE_PLUGIN + "' " + settings;
}

using test_picture::differingPixels;
using test_picture::Picture;
using test_picture::loadPicture;

// The offscreen back end's picture of the editor with these settings.
Picture snapshot(const std::string& settings, int voices = 0) {
    const std::string png = tempPath("snapshot.png");
    const RenderRun run = runRender("snapshot --png '" + png + "' " + settings + " --voices " + std::to_string(voices));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return loadPicture(png);
}

struct Parameter {
    std::string name;
    std::string value;
};

// Every `param` line (param INDEX "NAME" VALUE "DISPLAY") of the occurrence-th `params` step
// (0 first), in index order.
std::vector<Parameter> parameters(const std::string& out, int occurrence) {
    std::vector<Parameter> found;
    std::istringstream lines(out);
    std::string text;
    int seen = -1;
    while (std::getline(lines, text)) {
        if (text.rfind("param ", 0) != 0) continue;
        const size_t nameStart = text.find('"');
        const size_t nameEnd = text.find('"', nameStart + 1);
        const size_t valueEnd = text.find(' ', nameEnd + 2);
        if (nameStart == std::string::npos || nameEnd == std::string::npos || valueEnd == std::string::npos) continue;
        if (std::stoi(text.substr(6, nameStart - 7)) == 0) ++seen;
        if (seen == occurrence)
            found.push_back(Parameter{text.substr(nameStart + 1, nameEnd - nameStart - 1),
                                      text.substr(nameEnd + 2, valueEnd - nameEnd - 2)});
    }
    return found;
}

// The output lines that start with one of the prefixes, in order.
std::vector<std::string> linesStarting(const std::string& out, const std::vector<std::string>& prefixes) {
    std::vector<std::string> found;
    std::istringstream lines(out);
    std::string text;
    while (std::getline(lines, text))
        for (const std::string& prefix : prefixes)
            if (text.compare(0, prefix.size(), prefix) == 0) found.push_back(text);
    return found;
}

TEST(X11EditorCommand, ScreenEqualsTheSnapshotWithVoicesAndReadouts) {
    REQUIRE_TEST_DISPLAY();
    const std::string settings = "--set Cutoff=0.3 --set O1-Shape=0.4 --set Volume=0.8";
    const std::string png = tempPath("screen.png");
    const RenderRun run = runRender(editorRun(settings), "notes 5\nidle 400\npng " + png + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(differingPixels(loadPicture(png), snapshot(settings, 5)), 0);
}

// A gesture at a control's place changes its parameter; the screen then shows what the
// snapshot draws for the new value, and the host heard about it.
struct GestureCase {
    const char* name;
    const char* gesture;
    int row;
    bool bracketed;  // begin-edit ... end-edit around the automation
};

const GestureCase kGestures[] = {
    {"KnobDrag", "drag 260 33 290 10 8", 53, true},
    {"SwitchClick", "click 225 121", 26, false},
};

// CTest names the cases by name rather than by their bytes.
void PrintTo(const GestureCase& gesture, std::ostream* out) { *out << gesture.name; }

class X11EditorGesture : public ::testing::TestWithParam<GestureCase> {};

TEST_P(X11EditorGesture, ChangesTheParameterTheScreenAndTellsTheHost) {
    REQUIRE_TEST_DISPLAY();
    const GestureCase& gesture = GetParam();
    const std::string png = tempPath(std::string(gesture.name) + ".png");
    const RenderRun run = runRender(editorRun(""), std::string("idle 200\nparams\n") + gesture.gesture +
                                                       "\nidle 300\nparams\ncalls\npng " + png + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<Parameter> before = parameters(run.out, 0);
    const std::vector<Parameter> after = parameters(run.out, 1);
    ASSERT_GT(int(after.size()), gesture.row);
    ASSERT_EQ(before.size(), after.size());
    EXPECT_NE(before[gesture.row].value, after[gesture.row].value);
    for (size_t i = 0; i < after.size(); ++i) {
        if (int(i) == gesture.row) continue;
        EXPECT_EQ(before[i].value, after[i].value) << after[i].name;
    }

    const std::vector<std::string> hostCalls = linesStarting(run.out, {"automate", "begin-edit", "end-edit"});
    ASSERT_FALSE(hostCalls.empty());
    const std::string row = std::to_string(gesture.row);
    if (gesture.bracketed) {
        EXPECT_EQ(hostCalls.front(), "begin-edit " + row);
        EXPECT_EQ(hostCalls.back(), "end-edit " + row);
        ASSERT_GE(hostCalls.size(), 3u);
    }
    EXPECT_EQ(hostCalls[gesture.bracketed ? hostCalls.size() - 2 : hostCalls.size() - 1],
              "automate " + row + " " + after[gesture.row].value);

    const Picture expected = snapshot("--set '" + after[gesture.row].name + "=" + after[gesture.row].value + "'");
    EXPECT_EQ(differingPixels(loadPicture(png), expected), 0);
}

INSTANTIATE_TEST_SUITE_P(Controls, X11EditorGesture, ::testing::ValuesIn(kGestures),
                         [](const ::testing::TestParamInfo<GestureCase>& info) { return info.param.name; });

TEST(X11EditorCommand, HelpShowsThePictureUntilAClick) {
    REQUIRE_TEST_DISPLAY();
    const std::string png = tempPath("help.png");
    const RenderRun run = runRender(editorRun(""), "idle 200\nwindows\nclick 515 225\nidle 300\nwindows\npng " + png +
                                                       "\nclick 100 100\nidle 300\nwindows\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> expected = {"windows 0", "windows 1", "windows 0"};
    EXPECT_EQ(linesStarting(run.out, {"windows"}), expected);

    // While it is shown the picture covers the editor exactly.
    const std::unique_ptr<gui_platform::Image> help = gui_platform::loadBitmap(114);
    ASSERT_NE(help, nullptr);
    Picture bitmap;
    bitmap.width = help->width;
    bitmap.height = help->height;
    bitmap.rgb = help->rgb;
    EXPECT_EQ(differingPixels(loadPicture(png), bitmap), 0);
}

TEST(X11EditorCommand, HostWindowGoneBeforeCloseIsNoError) {
    REQUIRE_TEST_DISPLAY();
    const RenderRun run = runRender(editorRun(""), "idle 200\nclick 225 121\nclose-host\nidle 200\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find("X error"), std::string::npos) << run.err;
}

// Beyond the C and C++ run-time the module asks only for libX11 of the system.
TEST(X11Module, NeedsOnlyLibX11BesidesTheRuntime) {
    const std::string listing = tempPath("needed.txt");
    ASSERT_EQ(std::system(("objdump -p '" + std::string(ZELVIK_NATIVE_PLUGIN) + "' >'" + listing + "'").c_str()), 0);
    std::istringstream lines(x11_test::readFile(listing));
    std::vector<std::string> needed;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string tag, library;
        if (words >> tag >> library && tag == "NEEDED") needed.push_back(library);
    }
    const std::vector<std::string> allowed = {"libX11.so.6", "libstdc++.so.6", "libm.so.6", "libgcc_s.so.1",
                                              "libc.so.6"};
    EXPECT_NE(std::find(needed.begin(), needed.end(), "libX11.so.6"), needed.end());
    for (const std::string& library : needed) {
        // A sanitizer build carries the sanitizer's run-time too; a release build never does.
        if (library.rfind("libasan", 0) == 0 || library.rfind("libubsan", 0) == 0) continue;
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), library), allowed.end()) << library;
    }
}

// Bad input gives one message and exit code 2, before any window opens.
struct BadInputCase {
    const char* name;
    const char* script;
    const char* message;
};
void PrintTo(const BadInputCase& bad, std::ostream* out) { *out << bad.name; }

const BadInputCase kBadInputs[] = {
    {"UnknownCommand", "idle 10\nfrobnicate 1\n", "script line 2: unknown command 'frobnicate'"},
    {"MissingNumber", "idle\n", "script line 1: idle takes 1 number, got 0"},
    {"NoSuchButton", "click 10 10 7\n", "script line 1: the button must be 1, 2 or 3"},
    {"UnknownKey", "# keys\nkey Hyper\n", "script line 2: unknown key 'Hyper'"},
    {"NotANumber", "move 1 two\n", "script line 1: 'two' is not a whole number"},
};

class X11EditorBadInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(X11EditorBadInput, SaysWhatIsWrong) {
    const RenderRun run = runRender(editorRun(""), GetParam().script);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Scripts, X11EditorBadInput, ::testing::ValuesIn(kBadInputs),
                         [](const ::testing::TestParamInfo<BadInputCase>& info) { return info.param.name; });

TEST(X11EditorCommand, WithoutADisplaySaysSo) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");
    const RenderRun run = runRender(editorRun(""));
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("cannot open the X display"), std::string::npos) << run.err;
}

}  // namespace
