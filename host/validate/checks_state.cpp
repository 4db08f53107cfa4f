// State round trips: the parameter values and the program name taken from one instance
// must make a fresh instance sound the same, directly and through an .fxp file.
//
// A plug-in may draw random tables when an instance is made (ours fills its noise tables
// from the process's random sequence), so two instances in one process need not sound
// alike. Each render therefore happens in its own fresh process, as the first instance
// there: the reference with the patch set directly, the copy with the state read back.
#include "host/fxp_program.h"
#include "host/validate/audio_bench.h"
#include "host/validate/check_context.h"
#include "host/validate/plugin_under_test.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr double kChildSeconds = 120.0;
const char* const kProgramName = "Validate 12";

struct PatchState {
    std::string name;
    std::vector<float> values;
};

// Floats travel between processes as their bit patterns, so nothing is rounded.
std::string encode(const PatchState& state) {
    std::ostringstream out;
    out << state.values.size();
    for (float value : state.values) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        out << ' ' << bits;
    }
    out << ' ' << state.name;
    return out.str();
}

PatchState decode(const std::string& text) {
    std::istringstream in(text);
    PatchState state;
    size_t count = 0;
    in >> count;
    for (size_t i = 0; i < count; ++i) {
        uint32_t bits = 0;
        in >> bits;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        state.values.push_back(value);
    }
    in.get();
    std::getline(in, state.name);
    return state;
}

// The patch under test: each parameter moved a random amount from where a fresh instance
// has it, so that the sound stays the plug-in's own kind of sound.
PatchState choosePatch(CheckContext& context, PluginUnderTest& fresh) {
    std::mt19937 random(context.options.seed);
    std::uniform_real_distribution<float> shift(-0.25f, 0.25f);
    PatchState patch;
    patch.name = kProgramName;
    for (int index = 0; index < fresh.numParams(); ++index) {
        float value = fresh.parameter(index) + shift(random);
        patch.values.push_back(value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value);
    }
    return patch;
}

void apply(PluginUnderTest& plugin, const PatchState& state, bool reverse) {
    plugin.setProgramName(state.name);
    int count = (int)state.values.size();
    for (int n = 0; n < count; ++n) {
        int index = reverse ? count - 1 - n : n;
        plugin.setParameter(index, state.values[index]);
    }
}

PatchState readState(PluginUnderTest& plugin) {
    PatchState state;
    state.name = plugin.programName();
    for (int index = 0; index < plugin.numParams(); ++index)
        state.values.push_back(plugin.parameter(index));
    return state;
}

// A phrase that touches envelopes, filter sweeps and releases.
uint64_t renderPhrase(PluginUnderTest& plugin) {
    plugin.resume();
    AudioBench bench(plugin, kBlock);
    EventList events(16);
    for (int bar = 0; bar < 4; ++bar) {
        events.clear();
        addChord(events, 48 + 5 * bar, 3, 4, 70 + 15 * bar, 0, 17 * bar);
        bench.renderFor((long)(kRate / 4), kBlock, &events);
        events.clear();
        releaseChord(events, 48 + 5 * bar, 3, 4, 0, 3);
        bench.renderFor((long)(kRate / 4), kBlock, &events);
    }
    bench.renderFor((long)kRate, kBlock);
    if (bench.stats().peak == 0.0)
        throw CheckFailure("the phrase rendered silence, so nothing can be compared");
    return bench.stats().hash;
}

// Runs `work` in a fresh process and answers its data message.
std::string inFreshProcess(CheckContext& context, const char* what,
                           const std::function<std::string(PluginModule&)>& work) {
    std::string path = context.options.pluginPath;
    ChildOutcome outcome = runInChild(
        [&](ChildChannel& channel) {
            PluginModule module(path);
            channel.send('D', work(module));
        },
        kChildSeconds, context.options.inProcess);
    std::string failure = outcome.failure();
    if (!failure.empty())
        throw CheckFailure(std::string(what) + ": " + failure);
    return outcome.last('D');
}

std::string hashText(uint64_t hash) { return std::to_string(hash); }

// The reference: the patch set directly on a fresh instance.
std::string referenceRender(CheckContext& context, const PatchState& patch) {
    return inFreshProcess(context, "the reference render", [&](PluginModule& module) {
        PluginUnderTest plugin(module);
        plugin.open(kRate, kBlock);
        apply(plugin, patch, false);
        return hashText(renderPhrase(plugin));
    });
}

PatchState initialPatch(CheckContext& context) {
    return decode(inFreshProcess(context, "choosing the patch", [&](PluginModule& module) {
        PluginUnderTest plugin(module);
        plugin.open(kRate, kBlock);
        return encode(choosePatch(context, plugin));
    }));
}

// The source instance gets the patch the other way round (in reverse order), then its
// state is read as a host would save it.
PatchState sourceState(CheckContext& context, const PatchState& patch) {
    return decode(inFreshProcess(context, "reading the state", [&](PluginModule& module) {
        PluginUnderTest plugin(module);
        plugin.open(kRate, kBlock);
        apply(plugin, patch, true);
        return encode(readState(plugin));
    }));
}

void compareStates(const PatchState& expected, const PatchState& found, const char* route) {
    if (found.name != expected.name)
        throw CheckFailure(std::string("the program name came back as \"") + found.name + "\" instead of \"" +
                           expected.name + "\" " + route);
    for (size_t index = 0; index < expected.values.size(); ++index) {
        if (index >= found.values.size() ||
            std::memcmp(&found.values[index], &expected.values[index], sizeof(float)) != 0)
            throw CheckFailure("parameter " + std::to_string(index) + " did not come back " + route);
    }
}

// Sets the state on a fresh instance; checks it reads back the same and renders.
std::string restoredRender(CheckContext& context, const std::function<PatchState()>& loadState,
                           const char* route) {
    return inFreshProcess(context, "the restored render", [&](PluginModule& module) {
        PatchState state = loadState();
        PluginUnderTest plugin(module);
        plugin.open(kRate, kBlock);
        apply(plugin, state, false);
        compareStates(state, readState(plugin), route);
        return hashText(renderPhrase(plugin));
    });
}

void roundTrip(CheckContext& context, bool throughFile) {
    context.step("choosing a patch");
    PatchState patch = initialPatch(context);
    context.step("reference renders");
    std::string reference = referenceRender(context, patch);
    bool deterministic = referenceRender(context, patch) == reference;
    context.step("reading the state back");
    PatchState saved = sourceState(context, patch);

    std::function<PatchState()> loadState = [saved] { return saved; };
    std::string file;
    if (throughFile) {
        char pattern[] = "/tmp/zelvik-validate-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd < 0)
            throw CheckFailure("cannot create a temporary preset file");
        close(fd);
        file = pattern;
        context.step("saving the state as an .fxp file");
        std::string path = context.options.pluginPath;
        inFreshProcess(context, "saving the preset", [&](PluginModule& module) {
            PluginUnderTest plugin(module);
            FxpProgram program;
            program.pluginId = plugin.effect().uniqueID;
            program.pluginVersion = plugin.effect().version;
            program.name = saved.name;
            program.values = saved.values;
            program.save(file);
            return std::string();
        });
        loadState = [file] {
            FxpProgram program = FxpProgram::load(file);
            PatchState state;
            state.name = program.name;
            state.values = program.values;
            return state;
        };
    }
    context.step("restoring the state in a fresh instance");
    std::string restored;
    try {
        restored = restoredRender(context, loadState, throughFile ? "through the .fxp file" : "in a fresh instance");
    } catch (...) {
        if (!file.empty())
            std::remove(file.c_str());
        throw;
    }
    if (!file.empty())
        std::remove(file.c_str());
    std::string sound;
    if (!deterministic)
        context.note("two identical renders differ, so only the values and name were compared");
    else if (restored != reference)
        sound = "the restored instance renders differently from the original patch";
    // Values may come back rounded to the plug-in's steps; the name must come back as set.
    std::string name;
    if (saved.name != patch.name)
        name = "the program name was set to \"" + patch.name + "\" but reads back as \"" + saved.name + "\"";
    context.step("");
    if (!sound.empty() || !name.empty())
        throw CheckFailure(sound + (sound.empty() || name.empty() ? "" : "; ") + name);
}

void stateRoundTrip(CheckContext& context) { roundTrip(context, false); }
void stateThroughFxp(CheckContext& context) { roundTrip(context, true); }

} // namespace

void addStateChecks(std::vector<CheckDefinition>& checks) {
    checks.push_back({"state-round-trip", 300, stateRoundTrip});
    checks.push_back({"state-through-fxp", 300, stateThroughFxp});
}
