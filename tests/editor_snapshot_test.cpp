// `zelvik-render snapshot`: the picture it writes is the editor as drawn in-process, settings and
// voice count included; bad input gives one message and exit code 2.
#include "tests/editor_test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/test_picture.h"

namespace editor_test {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult runSnapshot(const std::string& arguments) {
    const std::string dir = ::testing::TempDir();
    const std::string out = dir + "/snapshot.out";
    const std::string err = dir + "/snapshot.err";
    const std::string command =
        std::string("'") + ZELVIK_RENDER_EXE + "' snapshot " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

int lineCount(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

using EditorSnapshot = EditorTest;

TEST_F(EditorSnapshot, PictureIsTheEditorAsDrawnWithSettingsAndVoices) {
    const std::string png = ::testing::TempDir() + "/editor_snapshot.png";
    std::remove(png.c_str());
    const RunResult run = runSnapshot("--png '" + png + "' --set Cutoff=0.9 --set L1-Aim=0.05 --voices 7");
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const test_picture::Picture picture = test_picture::loadPicture(png);
    ASSERT_EQ(picture.width, 600);
    ASSERT_EQ(picture.height, 250);

    // The same editor drawn here.
    plugin->setParameter(53, 0.9f);
    plugin->setParameter(28, 0.05f);
    openEditor();
    editor->showActiveVoices(7);
    paintAndIdle();
    int mismatches = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.at(x, y);
            mismatches += window->image().pixel(x, y).sameRgb(GuiColor{p[0], p[1], p[2], 0}) ? 0 : 1;
        }
    EXPECT_EQ(mismatches, 0);
    // The settings did reach the picture: L1-Aim 0.05 aims at a parameter with a read-out.
    EXPECT_FALSE(valueText(29).empty());
}

TEST_F(EditorSnapshot, NamesMatchWithoutRegardToCase) {
    const std::string png = ::testing::TempDir() + "/editor_snapshot_case.png";
    const RunResult run = runSnapshot("--png '" + png + "' --set cutoff=1 --set 'po wet=0'");
    EXPECT_EQ(run.exitCode, 0) << run.err;
}

struct BadInput {
    const char* arguments;
    const char* mentions;
};

TEST_F(EditorSnapshot, BadInputGivesOneMessageAndExitCode2) {
    const std::string png = "'" + ::testing::TempDir() + "/editor_snapshot_bad.png'";
    const BadInput cases[] = {
        {"--set Cutof=0.5", "Cutof"},
        {"--set Cutoff=1.5", "1.5"},
        {"--set Cutoff=-0.1", "-0.1"},
        {"--set Cutoff=abc", "abc"},
        {"--set Cutoff=nan", "nan"},
        {"--set Cutoff", "NAME=VALUE"},
        {"--voices 17", "17"},
    };
    for (const BadInput& c : cases) {
        std::remove((::testing::TempDir() + "/editor_snapshot_bad.png").c_str());
        const RunResult run = runSnapshot("--png " + png + " " + c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments;
        EXPECT_EQ(lineCount(run.err), 1) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_FALSE(std::ifstream(::testing::TempDir() + "/editor_snapshot_bad.png").good()) << c.arguments;
    }
    const RunResult unwritable = runSnapshot("--png /nonexistent-folder/editor.png");
    EXPECT_EQ(unwritable.exitCode, 2);
    EXPECT_EQ(lineCount(unwritable.err), 1) << unwritable.err;
    EXPECT_NE(unwritable.err.find("/nonexistent-folder/editor.png"), std::string::npos) << unwritable.err;
    const RunResult missing = runSnapshot("");
    EXPECT_EQ(missing.exitCode, 2);
}

}  // namespace
}  // namespace editor_test
