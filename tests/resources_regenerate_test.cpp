// The committed skin bitmaps are exactly what the generator makes today.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/resources_support.h"

namespace {

using namespace resources_test;

std::filesystem::path freshFolder(const std::string& name) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zelvik-skin-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    return folder;
}

int runGenerator(const std::filesystem::path& folder) {
    const std::string command = std::string("\"") + ZELVIK_SKIN_TOOL + "\" \"" + folder.string() + "\"";
    return std::system(command.c_str());
}

TEST(SkinRegeneration, GeneratorReproducesCommittedFilesByteForByte) {
    const std::filesystem::path folder = freshFolder("regenerate");
    ASSERT_EQ(runGenerator(folder), 0);
    for (const SkinBitmapFile& file : skinBitmapFiles()) {
        SCOPED_TRACE(file.fileName);
        const std::vector<uint8_t> made = readBytes((folder / file.fileName).string());
        const std::vector<uint8_t> committed = readBytes(skinFolder() + "/" + file.fileName);
        ASSERT_FALSE(committed.empty()) << "missing in resources/skin";
        EXPECT_TRUE(made == committed)
            << "resources/skin is stale: run zelvik-skin resources/skin and commit the result";
    }
    std::filesystem::remove_all(folder);
}

TEST(SkinRegeneration, TwoRunsGiveIdenticalFiles) {
    const std::filesystem::path first = freshFolder("first"), second = freshFolder("second");
    ASSERT_EQ(runGenerator(first), 0);
    ASSERT_EQ(runGenerator(second), 0);
    for (const SkinBitmapFile& file : skinBitmapFiles())
        EXPECT_TRUE(readBytes((first / file.fileName).string()) == readBytes((second / file.fileName).string()))
            << file.fileName;
    std::filesystem::remove_all(first);
    std::filesystem::remove_all(second);
}

TEST(SkinRegeneration, GeneratorRefusesAMissingFontFolder) {
    const std::filesystem::path folder = freshFolder("nofonts");
    const std::string command =
        std::string("\"") + ZELVIK_SKIN_TOOL + "\" \"" + folder.string() + "\" --fonts /nonexistent 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    std::filesystem::remove_all(folder);
}

}  // namespace
