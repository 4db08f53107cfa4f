// zelvik-render validate: each check fails for the fault it is about, and a plug-in
// without faults passes every check.
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// The report line of one check, or "" when there is none.
std::string lineOf(const std::string& out, const std::string& check) {
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("PASS " + check, 0) == 0 || line.rfind("FAIL " + check + ":", 0) == 0)
            return line;
    return "";
}

hosttest::CommandResult validate(const std::string& fault, const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {ZELVIK_RENDER_EXE, "validate", VALIDATE_ROGUE_PLUGIN};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return hosttest::run(argv, "ZELVIK_ROGUE_FAULT=" + fault);
}

struct FaultCase {
    const char* fault;
    const char* check;
    const char* reason; // a part of the failure line
};

const FaultCase kFaultCases[] = {
    {"overrun", "block-sizes", "block size"},
    {"nan", "parameters-nan-inf", "NaN or infinite"},
    {"alloc", "audio-path-allocation-free", "heap allocations"},
    {"hang", "notes-end-after-note-offs", "still sounding"},
    {"hang", "notes-end-after-all-notes-off", "still sounding"},
    // A crash, or the sanitizer ending the process for it in sanitizer builds.
    {"null-text", "opcodes-open", "1 fault: opcode 7 (null): "},
    {"lost-name", "state-round-trip", "program name"},
    {"lost-name", "state-through-fxp", "program name"},
    {"denormal", "output-denormals", "denormal samples"},
    {"loud", "output-peak-limit", "beyond the limit 0.99"},
};

class ValidateFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ValidateFault, TheCheckFailsAndSaysWhy) {
    const FaultCase& fault = GetParam();
    hosttest::CommandResult result = validate(fault.fault, {"--check", fault.check});
    EXPECT_EQ(result.exitCode, 1) << result.out;
    std::string line = lineOf(result.out, fault.check);
    EXPECT_EQ(line.rfind(std::string("FAIL ") + fault.check + ": ", 0), 0u) << result.out;
    EXPECT_NE(line.find(fault.reason), std::string::npos) << line;
    EXPECT_NE(result.out.find("0 passed, 1 failed\n"), std::string::npos) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Faults, ValidateFault, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name = std::string(info.param.fault) + "_" + info.param.check;
                             for (char& c : name)
                                 if (!isalnum((unsigned char)c)) c = '_';
                             return name;
                         });

TEST(Validate, APlugInWithoutFaultsPassesEveryCheck) {
    hosttest::CommandResult result = validate("none", {"--thread-seconds", "1", "--instances-in-row", "50"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(result.out.find("FAIL"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(" passed, 0 failed\n"), std::string::npos) << result.out;
}

TEST(Validate, UnknownCheckIsBadInput) {
    hosttest::CommandResult result = validate("none", {"--check", "no-such-check"});
    EXPECT_EQ(result.exitCode, 2);
}

} // namespace
