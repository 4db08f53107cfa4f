// .fxp program files: byte layout against a hand-assembled file, and damaged files.
#include "host/fxp_program.h"
#include "host/host_error.h"
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// 'CcnK', size 56, 'FxCk', version 1, 'Abcd', fxVersion 2, 2 params, "Pad" padded to 28
// bytes, then 0.5f (0x3F000000) and 1.0f (0x3F800000), all big-endian.
std::vector<uint8_t> handAssembled() {
    std::vector<uint8_t> bytes = {'C', 'c', 'n', 'K', 0, 0, 0, 56,  'F', 'x', 'C', 'k', 0, 0, 0, 1,
                                  'A', 'b', 'c', 'd', 0, 0, 0, 2,   0,   0,   0,   2};
    for (char c : {'P', 'a', 'd'})
        bytes.push_back((uint8_t)c);
    bytes.resize(bytes.size() + 25, 0); // the name field is 28 bytes
    for (uint8_t b : {0x3F, 0x00, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00})
        bytes.push_back(b);
    return bytes;
}

TEST(HostFxp, ReadsAHandAssembledProgram) {
    FxpProgram program = FxpProgram::parse(handAssembled());
    EXPECT_EQ(program.pluginId, 0x41626364);
    EXPECT_EQ(program.pluginVersion, 2);
    EXPECT_EQ(program.name, "Pad");
    EXPECT_EQ(program.values, (std::vector<float>{0.5f, 1.0f}));
}

TEST(HostFxp, WritesTheSameBytes) {
    FxpProgram program;
    program.pluginId = 0x41626364;
    program.pluginVersion = 2;
    program.name = "Pad";
    program.values = {0.5f, 1.0f};
    EXPECT_EQ(program.serialize(), handAssembled());
}

TEST(HostFxp, LongNamesKeepTheirTerminator) {
    FxpProgram program;
    program.name = std::string(40, 'n');
    FxpProgram back = FxpProgram::parse(program.serialize());
    EXPECT_EQ(back.name, std::string(27, 'n'));
}

TEST(HostFxp, ANameFillingTheFieldReadsAsSavingKeepsIt) {
    auto bytes = handAssembled();
    std::fill(bytes.begin() + 28, bytes.begin() + 56, 'x'); // no terminator in the field
    FxpProgram program = FxpProgram::parse(bytes);
    EXPECT_EQ(program.name, std::string(27, 'x'));
    EXPECT_EQ(FxpProgram::parse(program.serialize()).name, program.name);
}

TEST(HostFxp, DamagedFilesAreRejected) {
    auto truncated = handAssembled();
    truncated.pop_back();
    auto chunkForm = handAssembled();
    chunkForm[11] = 'h';
    auto badMagic = handAssembled();
    badMagic[0] = 'X';
    auto outOfRange = handAssembled();
    outOfRange[56] = 0x40; // 2.0f
    auto notANumber = handAssembled();
    notANumber[56] = 0x7F;
    notANumber[57] = 0xC0;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {{"truncated", truncated},   {"FxCh", chunkForm},        {"no CcnK", badMagic},
                 {"2.0", outOfRange},        {"NaN", notANumber},        {"empty", {}}};
    for (const Case& c : cases)
        EXPECT_THROW(FxpProgram::parse(c.bytes), HostError) << c.what;
}

TEST(HostFxp, SaveLeavesNoPartialFile) {
    std::string path = hosttest::scratch("saved.fxp");
    FxpProgram::parse(handAssembled()).save(path);
    EXPECT_EQ(hosttest::readBytes(path), handAssembled());
    EXPECT_FALSE(hosttest::exists(path + ".partial"));
    EXPECT_THROW(FxpProgram::parse(handAssembled()).save("/nonexistent-folder/x.fxp"), HostError);
}

} // namespace
