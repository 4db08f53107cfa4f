// zelvik-render info and the command line's handling of bad input.
#include "vst2/vst2_abi.h"
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <map>
#include <sstream>

using hosttest::CommandResult;
using hosttest::zelvikRender;

namespace {

// Lines "label:   value" of the info output, by label.
std::map<std::string, std::string> infoFields(const std::string& out) {
    std::map<std::string, std::string> fields;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(':');
        if (line.empty() || line[0] == ' ' || colon == std::string::npos)
            continue;
        size_t value = line.find_first_not_of(' ', colon + 1);
        fields[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
    }
    return fields;
}

// What a minimal host of its own learns from a plug-in, without zelvik-render's code.
struct DirectView {
    std::string effectName, vendor;
    int32_t uniqueID = 0, numParams = 0, numOutputs = 0, flags = 0;
    std::vector<std::string> paramNames;
};

VstIntPtr VSTCALLBACK minimalHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

DirectView lookDirectly(const char* path) {
    DirectView view;
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return view;
    auto entry = (VstPluginMainProc)dlsym(library, "VSTPluginMain");
    if (!entry) // older plug-ins, Kars among them, export only the historic name
        entry = (VstPluginMainProc)dlsym(library, "main");
    AEffect* effect = entry ? entry(minimalHost) : nullptr;
    if (effect) {
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        char text[256] = {};
        effect->dispatcher(effect, effGetEffectName, 0, 0, text, 0.0f);
        view.effectName = text;
        std::memset(text, 0, sizeof text);
        effect->dispatcher(effect, effGetVendorString, 0, 0, text, 0.0f);
        view.vendor = text;
        view.uniqueID = effect->uniqueID;
        view.numParams = effect->numParams;
        view.numOutputs = effect->numOutputs;
        view.flags = effect->flags;
        for (int i = 0; i < effect->numParams; ++i) {
            std::memset(text, 0, sizeof text);
            effect->dispatcher(effect, effGetParamName, i, 0, text, 0.0f);
            view.paramNames.push_back(text);
        }
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    dlclose(library);
    return view;
}

TEST(HostInfo, KarsIdentityMatchesADirectLook) {
    DirectView direct = lookDirectly(HOST_KARS_PLUGIN);
    ASSERT_EQ(direct.effectName, "Kars") << "the Debian plug-in is needed (dpf-plugins-vst)";
    CommandResult result = zelvikRender({"info", HOST_KARS_PLUGIN});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    auto fields = infoFields(result.out);
    EXPECT_EQ(fields["effect name"], "\"Kars\"");
    EXPECT_EQ(fields["vendor"], "\"" + direct.vendor + "\"");
    char code[5] = {(char)(direct.uniqueID >> 24), (char)(direct.uniqueID >> 16), (char)(direct.uniqueID >> 8),
                    (char)direct.uniqueID, 0};
    EXPECT_EQ(fields["unique id"], std::to_string(direct.uniqueID) + " '" + code + "'");
    EXPECT_EQ(fields["outputs"], std::to_string(direct.numOutputs));
    EXPECT_EQ(fields["parameters"], std::to_string(direct.numParams));
    EXPECT_EQ(fields["flags"].substr(0, fields["flags"].find(' ')), std::to_string(direct.flags));
    EXPECT_EQ(fields["category"], "2 (synth)");
    for (const std::string& name : direct.paramNames)
        EXPECT_NE(result.out.find("\"" + name + "\""), std::string::npos) << name;
}

TEST(HostInfo, ProbeReportIsComplete) {
    CommandResult result = zelvikRender({"info", HOST_PROBE_PLUGIN, "--tempo", "90"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Every value here is the probe's own definition (tests/host_plugin_probe.cpp).
    const char* expectedLines[] = {
        "effect name:     \"Host Probe\"\n",
        "vendor:          \"Zelvik Tests\"\n",
        "product:         \"Probe\"\n",
        "vendor version:  7\n",
        "unique id:       1213231714 'HPrb'\n",
        "version:         3\n",
        "category:        2 (synth)\n",
        "flags:           272 (CanReplacing IsSynth)\n",
        "inputs:          1\n",
        "outputs:         4\n",
        "program:         0 \"Probe Init\"\n",
        "parameters:      3\n",
        // index in 3 columns, the quoted name in 24
        "    0  \"Gain\"                   display \"100%\"  label \"x\"  value 1\n",
        "    1  \"Mode\"                   display \"25%\"  label \"\"  value 0.25\n",
        "    2  \"Level\"                  display \"50%\"  label \"\"  value 0.5\n",
    };
    for (const char* line : expectedLines)
        EXPECT_NE(result.out.find(line), std::string::npos) << "missing: " << line << "in\n" << result.out;
    EXPECT_EQ(result.out.find('\r'), std::string::npos);
    EXPECT_EQ(zelvikRender({"info", HOST_PROBE_PLUGIN, "--tempo", "90"}).out, result.out) << "deterministic";
}

// Every bad input: exit code 2 and exactly one line on stderr, naming the problem.
TEST(HostCommandLine, BadInputGivesOneLineAndExitCode2) {
    std::string textFile = hosttest::scratch("text.so");
    hosttest::writeBytes(textFile, {'#', '!', '\n'});
    struct Case {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{"info", "/nonexistent/plugin.so"}, "no such file"},
        {{"info", textFile}, "not a loadable library"},
        {{"info", HOST_NO_ENTRY_PLUGIN}, "no VST 2 entry point"},
        {{"info", HOST_NULL_PLUGIN}, "returned no effect"},
        {{"info", HOST_BAD_MAGIC_PLUGIN}, "not a VST 2 effect"},
        {{"info", HOST_PROBE_PLUGIN, "--tempo", "fast"}, "--tempo"},
        {{"info"}, "plugin"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{}, "subcommand"},
    };
    for (const Case& c : cases) {
        CommandResult result = zelvikRender(c.args);
        std::string shown = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(result.exitCode, 2) << shown << ": " << result.err;
        EXPECT_EQ(result.errLines(), 1) << shown << ": " << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << shown << ": " << result.err;
        EXPECT_TRUE(result.out.empty()) << shown;
    }
}

TEST(HostCommandLine, HelpIsNotAnError) {
    CommandResult result = zelvikRender({"render", "--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* option : {"--midi", "--out", "--rate", "--block", "--tempo", "--set", "--load-fxp", "--save-fxp",
                               "--input", "--tone", "--tail"})
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
}

} // namespace
