// The editor in a Windows host: zelvik-render.exe (wine64, on an Xvfb server started here)
// embeds zelvik-x64.dll's editor, drives it with SendInput and captures it. The picture must
// be the memory back end's outside the text boxes, and presses must reach the parameters and
// the host as they do in the toolkit's own tests.
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "editor/synth_layout.h"

#include "tests/test_picture.h"

namespace {

using hosttest::CommandResult;

const std::string kExe = std::string(ZELVIK_WIN64_DIR) + "/zelvik-render.exe";
const std::string kDll = std::string(ZELVIK_WIN64_DIR) + "/zelvik-x64.dll";
const char* const kWine = "/usr/lib/wine/wine64";

using test_picture::Picture;
using test_picture::loadPicture;

struct Box {
    int left, top, right, bottom;  // edges included
    bool isLabel;
    bool contains(int x, int y) const { return left <= x && x <= right && top <= y && y <= bottom; }
};

// The labels and read-outs as the editor lays them out: the only places where text is drawn.
std::vector<Box> textBoxes() {
    std::vector<Box> boxes;
    for (const SynthLayoutRow& row : kSynthLayout) {
        if (row.hasLabel) boxes.push_back(Box{row.x - 21, row.y - 20, row.x + 21, row.y - 10, true});
        if (row.hasValueDisplay) boxes.push_back(Box{row.x - 21, row.y + 11, row.x + 21, row.y + 20, false});
    }
    return boxes;
}

bool isDark(const uint8_t* p) { return p[0] < 90 && p[1] < 90 && p[2] < 90; }
bool isCyanish(const uint8_t* p) { return p[0] < 110 && p[1] > 140 && p[2] > 140; }

// One X server for the whole suite on a display it picks itself, stopped at the end, and
// Wine's processes of the private prefix ended with it.
class WineEditor : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!hosttest::exists(kExe) || !hosttest::exists(kDll) || !hosttest::exists(kWine)) return;
        const std::string displayFile = ::testing::TempDir() + "gui_win32_display";
        const std::string pidFile = ::testing::TempDir() + "gui_win32_xvfb_pid";
        std::remove(displayFile.c_str());
        const std::string start = "Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>" +
                                  hosttest::shellQuoted(displayFile) + " >/dev/null 2>&1 & echo $! >" +
                                  hosttest::shellQuoted(pidFile);
        if (std::system(start.c_str()) != 0) return;
        for (int i = 0; i < 100 && display.empty(); ++i) {
            std::string text = hosttest::readText(displayFile);
            if (!text.empty() && text.back() == '\n') display = ":" + text.substr(0, text.size() - 1);
            else usleep(100000);
        }
        xvfbPid = std::atoi(hosttest::readText(pidFile).c_str());
    }

    static void TearDownTestSuite() {
        if (!display.empty()) std::system((environment() + " /usr/lib/wine/wineserver -k").c_str());
        if (xvfbPid > 0) kill(xvfbPid, SIGTERM);
        display.clear();
        xvfbPid = 0;
    }

    void SetUp() override {
        if (display.empty()) GTEST_SKIP() << "needs " << kExe << ", " << kDll << ", wine64 and Xvfb";
    }

    static std::string environment() {
        return "env DISPLAY=" + display + " WINEPREFIX=" + hosttest::shellQuoted(GUI_WINE_PREFIX) +
               " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='";
    }

    // Runs the editor command with a script (one command a line) and extra arguments.
    CommandResult editor(const std::string& script, std::vector<std::string> extra = {}) {
        const std::string scriptPath = hosttest::scratch("script.txt");
        hosttest::writeBytes(scriptPath, std::vector<uint8_t>(script.begin(), script.end()));
        std::vector<std::string> argv = {kWine, kExe, "editor", kDll, "--script", scriptPath};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return hosttest::run(argv, environment());
    }

    static std::string display;
    static int xvfbPid;
};

std::string WineEditor::display;
int WineEditor::xvfbPid = 0;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) out.push_back(line);
    return out;
}

// `param INDEX "NAME" VALUE "DISPLAY"` lines of `params`: the value of one parameter, from the
// n-th listing.
float parameterValue(const std::string& out, int index, int listing) {
    int seen = -1;
    for (const std::string& line : lines(out)) {
        const size_t nameEnd = line.find('"', line.find('"') + 1);
        if (line.rfind("param ", 0) != 0 || nameEnd == std::string::npos) continue;
        const int i = std::atoi(line.c_str() + 6);
        if (i == 0) ++seen;
        if (seen == listing && i == index) return std::strtof(line.c_str() + nameEnd + 1, nullptr);
    }
    return -1.0f;
}

TEST_F(WineEditor, CaptureEqualsMemorySnapshotOutsideTextAndTextStaysInItsBoxes) {
    const std::string captured = hosttest::scratch("wine.png");
    const std::string snapshot = hosttest::scratch("memory.png");
    CommandResult run = editor("idle 200\npng " + captured + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(hosttest::zelvikRender({"snapshot", "--png", snapshot}).exitCode, 0);
    const Picture wine = loadPicture(captured), memory = loadPicture(snapshot);
    ASSERT_EQ(wine.width, 600);
    ASSERT_EQ(wine.height, 250);
    ASSERT_EQ(memory.width, 600);
    ASSERT_EQ(memory.height, 250);

    const std::vector<Box> boxes = textBoxes();
    int differing = 0;
    for (int y = 0; y < wine.height; ++y)
        for (int x = 0; x < wine.width; ++x) {
            bool inText = false;
            for (const Box& box : boxes) inText = inText || box.contains(x, y);
            if (!inText && !wine.sameAt(memory, x, y)) ++differing;
        }
    EXPECT_EQ(differing, 0) << "pixels outside the text boxes that GDI drew differently";

    // Labels are dark on the panel; a read-out that shows text in the snapshot shows cyan text
    // in the capture too.
    for (const Box& box : boxes) {
        bool memoryHasText = false, wineHasText = false;
        for (int y = box.top; y <= box.bottom; ++y)
            for (int x = box.left; x <= box.right; ++x) {
                memoryHasText = memoryHasText || (box.isLabel ? isDark(memory.at(x, y)) : isCyanish(memory.at(x, y)));
                wineHasText = wineHasText || (box.isLabel ? isDark(wine.at(x, y)) : isCyanish(wine.at(x, y)));
            }
        EXPECT_EQ(wineHasText, memoryHasText) << "text box at " << box.left << "," << box.top;
    }
}

TEST_F(WineEditor, KnobDragChangesParameterRedrawsAndReachesHost) {
    const std::string before = hosttest::scratch("before.png"), after = hosttest::scratch("after.png");
    // O1-Shape (row 5) sits at (75, 74); a drag from its left edge up and right turns it.
    CommandResult run = editor("params\npng " + before + "\ndrag 62 80 88 60 8\nidle 300\npng " + after +
                               "\ncalls\nparams\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(parameterValue(run.out, 5, 1), parameterValue(run.out, 5, 0));

    std::vector<std::string> calls;
    for (const std::string& line : lines(run.out))
        if (line.find("-edit ") != std::string::npos || line.rfind("automate ", 0) == 0) calls.push_back(line);
    ASSERT_GE(calls.size(), 3u) << run.out;
    EXPECT_EQ(calls.front(), "begin-edit 5");
    EXPECT_EQ(calls.back(), "end-edit 5");
    for (size_t i = 1; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i].rfind("automate 5 ", 0), 0u) << calls[i];

    const Picture a = loadPicture(before), b = loadPicture(after);
    ASSERT_EQ(a.width, b.width);
    int changedInKnob = 0;
    for (int y = 58; y <= 90; ++y)
        for (int x = 59; x <= 91; ++x) changedInKnob += a.sameAt(b, x, y) ? 0 : 1;
    EXPECT_GT(changedInKnob, 0) << "the knob was not redrawn at its new position";
}

TEST_F(WineEditor, ClickTogglesSwitch) {
    // Osc1 (row 3, off by default) at (25, 64); Osc2 (row 8, on) at (25, 114).
    CommandResult run = editor("click 25 64\nidle 200\nclick 25 114\nidle 200\ncalls\nparams\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("automate 3 1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("automate 8 0\n"), std::string::npos) << run.out;
    EXPECT_EQ(parameterValue(run.out, 3, 0), 1.0f);
    EXPECT_EQ(parameterValue(run.out, 8, 0), 0.0f);
}

TEST_F(WineEditor, HelpShowsDialogWithHelpBitmapAndClickClosesIt) {
    const std::string dialog = hosttest::scratch("dialog.png");
    // The second click lands on the picture, which closes it; the run ends only if it did.
    CommandResult run =
        editor("click 515 225\nwindows\nclick 300 120\nidle 800\nwindows\nparams\n", {"--dialog-png", dialog});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("dialog "), std::string::npos) << run.out;
    std::vector<std::string> shownWindows;  // besides the host's: the dialog, while it is shown
    for (const std::string& line : lines(run.out))
        if (line.rfind("windows ", 0) == 0) shownWindows.push_back(line);
    EXPECT_EQ(shownWindows, std::vector<std::string>({"windows 1", "windows 0"}));
    EXPECT_NE(run.out.find("closed\n"), std::string::npos);
    const Picture shown = loadPicture(dialog);
    const Picture help = loadPicture(std::string(ZELVIK_SKIN_DIR) + "/114_help.bmp");
    ASSERT_EQ(help.width, 600);
    ASSERT_GT(shown.width, 0);
    // The static control shows the bitmap from the dialog's top-left corner, cut by the
    // dialog's size (which follows the dialog font's metrics).
    int differing = 0;
    for (int y = 0; y < std::min(shown.height, help.height); ++y)
        for (int x = 0; x < std::min(shown.width, help.width); ++x) differing += shown.sameAt(help, x, y) ? 0 : 1;
    EXPECT_EQ(differing, 0);
    EXPECT_GE(shown.height, 200);
    EXPECT_EQ(shown.width, 600);
}

TEST_F(WineEditor, OpenCloseCyclesReturnGdiAndUserObjectsAndUnregisterTheClass) {
    CommandResult run = editor("", {"--cycles", "50"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    long gdiBefore = -1, gdiAfter = -2, windowsBefore = -1, windowsAfter = -2;
    int cycles = 0;
    char open[8] = "", after[8] = "";
    bool found = false;
    for (const std::string& line : lines(run.out))
        found = found || std::sscanf(line.c_str(), "cycles %d gdi %ld %ld windows %ld %ld class-open %7s class-after %7s",
                                     &cycles, &gdiBefore, &gdiAfter, &windowsBefore, &windowsAfter, open, after) == 7;
    ASSERT_TRUE(found) << run.out;
    EXPECT_EQ(cycles, 50);
    EXPECT_GT(gdiBefore, 0);
    EXPECT_EQ(gdiAfter, gdiBefore);
    EXPECT_GT(windowsBefore, 0);
    EXPECT_EQ(windowsAfter, windowsBefore);
    EXPECT_STREQ(open, "yes");
    EXPECT_STREQ(after, "no");
}

// Lines in every direction, dotted outlines, fills and plain and keyed block copies, drawn by
// the GDI device and by the software rasteriser.
TEST_F(WineEditor, GdiDeviceDrawsTheRasterisersPixels) {
    const std::string tool = std::string(ZELVIK_WIN64_DIR) + "/zelvik-gdi-compare.exe";
    if (!hosttest::exists(tool)) GTEST_SKIP() << tool << " is not built";
    CommandResult run = hosttest::run({kWine, tool}, environment());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int cases = 0;
    for (const std::string& line : lines(run.out)) {
        if (line.rfind("case ", 0) != 0) continue;
        ++cases;
        EXPECT_NE(line.find(": 0 differing"), std::string::npos) << line;
    }
    EXPECT_GT(cases, 100);
}

// The parts the editor itself never reaches: the native edit field (its text views have the
// mouse disabled) and the OLE drop target (text and file lists dragged in with DoDragDrop).
TEST_F(WineEditor, EditFieldAndDropTargetWorkThroughThePlatformInterface) {
    const std::string tool = std::string(ZELVIK_WIN64_DIR) + "/zelvik-win32-check.exe";
    if (!hosttest::exists(tool)) GTEST_SKIP() << tool << " is not built";
    CommandResult run = hosttest::run({kWine, tool}, environment());
    run.out.erase(std::remove(run.out.begin(), run.out.end(), '\r'), run.out.end());  // console line ends
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    int passed = 0;
    for (const std::string& line : lines(run.out)) {
        EXPECT_NE(line.rfind("FAIL", 0), 0u) << line;
        passed += line.rfind("ok ", 0) == 0 ? 1 : 0;
    }
    for (const char* check : {"ok edit colours\n", "ok return ends the edit\n", "ok focus loss ends the edit\n",
                              "ok text drop\n", "ok file drop\n", "ok class unregistered\n"})
        EXPECT_NE(run.out.find(check), std::string::npos) << check;
    EXPECT_GE(passed, 17);
}

TEST_F(WineEditor, HostDestroyingItsWindowBeforeEditCloseDoesNotCrash) {
    CommandResult run = editor("idle 100\nclose-host\nidle 100\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("closed\n"), std::string::npos);
}

}  // namespace
