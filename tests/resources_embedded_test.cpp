// The library carries the same bitmap bytes as the committed files, and the Windows
// resource script names them all together with the help dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "resources/embedded_resources.h"
#include "tests/resources_support.h"

namespace {

using namespace resources_test;

TEST(EmbeddedSkin, EveryBitmapMatchesItsFile) {
    for (const SkinBitmapFile& file : skinBitmapFiles()) {
        SCOPED_TRACE(file.id);
        size_t size = 0;
        const unsigned char* bytes = findEmbeddedBitmap(file.id, &size);
        ASSERT_NE(bytes, nullptr);
        const std::vector<uint8_t> committed = readBytes(skinFolder() + "/" + file.fileName);
        ASSERT_EQ(size, committed.size());
        EXPECT_TRUE(std::equal(committed.begin(), committed.end(), bytes));
    }
}

TEST(EmbeddedSkin, UnknownNumbersGiveNothing) {
    for (int id : {0, -1, 100, 102, 103, 108, 111, 113, 115, 117, 65536 + 101}) {
        size_t size = 123;
        EXPECT_EQ(findEmbeddedBitmap(id, &size), nullptr) << id;
        EXPECT_EQ(size, 0u) << id;
    }
    EXPECT_NE(findEmbeddedBitmap(101, nullptr), nullptr);  // the size is optional
}

std::string readText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(WindowsResourceScript, NamesEveryBitmapFileOnce) {
    const std::string script = readText(std::string(ZELVIK_SOURCE_DIR) + "/resources/zelvik.rc");
    const std::regex bitmapLine(R"re((\d+)\s+BITMAP\s+"resources/skin/([^"]+)")re");
    std::set<int> ids;
    for (auto it = std::sregex_iterator(script.begin(), script.end(), bitmapLine); it != std::sregex_iterator(); ++it) {
        const int id = std::stoi((*it)[1]);
        EXPECT_TRUE(ids.insert(id).second) << "bitmap " << id << " twice";
        EXPECT_STREQ((*it)[2].str().c_str(), fileFor(id).fileName) << id;
    }
    EXPECT_EQ(ids, (std::set<int>{101, 104, 105, 106, 107, 109, 110, 114}));
}

TEST(WindowsResourceScript, HelpDialogIsACaptionlessSystemModalPictureOfBitmap114) {
    const std::string script = readText(std::string(ZELVIK_SOURCE_DIR) + "/resources/zelvik.rc");
    EXPECT_TRUE(std::regex_search(script, std::regex(R"(117\s+DIALOG\s+0\s*,\s*0\s*,\s*400\s*,\s*154)")));
    EXPECT_TRUE(std::regex_search(script, std::regex(R"(STYLE\s+DS_SYSMODAL\s*\|\s*WS_POPUP\s*\|\s*WS_VISIBLE\s*\n)")));
    EXPECT_TRUE(std::regex_search(script, std::regex(R"re(FONT\s+8\s*,\s*"MS Sans Serif")re")));
    EXPECT_TRUE(std::regex_search(
        script,
        std::regex(
            R"re(CONTROL\s+114\s*,\s*-1\s*,\s*"Static"\s*,\s*SS_BITMAP\s*\|\s*WS_VISIBLE\s*,\s*0\s*,\s*0\s*,\s*400\s*,\s*154)re")));
    EXPECT_EQ(script.find("CAPTION"), std::string::npos);
    EXPECT_EQ(script.find("MENU"), std::string::npos);
}

// The built DLLs carry the compiled resources: checked with the MinGW tools when the
// Windows builds exist next to this one.
std::string commandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

void expectDllResources(const std::string& folder, const std::string& dll, const std::string& prefix) {
    const std::string path = folder + "/" + dll;
    if (folder.empty() || !std::ifstream(path)) GTEST_SKIP() << path << " not built";
    // windres reads the resource section of a PE file back into script form.
    const std::string script = commandOutput(prefix + "-windres -J coff -O rc -i '" + path + "' 2>&1");
    for (int id : {101, 104, 105, 106, 107, 109, 110, 114})
        EXPECT_NE(script.find(std::to_string(id) + " 2 /* RT_BITMAP */"), std::string::npos) << id;
    EXPECT_NE(script.find("117 DIALOG 0, 0, 400, 154"), std::string::npos);
    EXPECT_NE(script.find("CONTROL 114, 65535, \"STATIC\", 0x5000000e, 0, 0, 400, 154"), std::string::npos);
}

TEST(WindowsModules, X64DllCarriesSkinAndHelpDialog) {
    expectDllResources(ZELVIK_WIN64_DIR, "zelvik-x64.dll", "x86_64-w64-mingw32");
}

TEST(WindowsModules, X86DllCarriesSkinAndHelpDialog) {
    expectDllResources(ZELVIK_WIN32_DIR, "zelvik-x86.dll", "i686-w64-mingw32");
}

}  // namespace
