// Checks of the instance life cycle: many instances, every opcode in every state.
#include "host/validate/audio_bench.h"
#include "host/validate/check_context.h"
#include "host/validate/guarded_region.h"
#include "host/validate/plugin_under_test.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr int kOpcodeCount = 128;
constexpr size_t kArgumentBufferBytes = 1024;

// One block with a note in it: enough to touch the render path of a fresh instance.
void playBriefly(AudioBench& bench, EventList& events) {
    events.clear();
    events.midi(0, 0x90, 60, 100);
    events.midi(kBlock / 2, 0x80, 60, 0);
    bench.render(kBlock, &events);
}

void instancesInRow(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    EventList events(4);
    for (int n = 0; n < context.options.instancesInRow; ++n) {
        context.step("instance " + std::to_string(n + 1));
        PluginUnderTest plugin(module);
        plugin.open(kRate, kBlock);
        plugin.resume();
        AudioBench bench(plugin, kBlock);
        playBriefly(bench, events);
        plugin.close();
    }
}

void instancesAtOnce(CheckContext& context) {
    PluginModule module(context.options.pluginPath);
    std::vector<std::unique_ptr<PluginUnderTest>> plugins;
    std::vector<std::unique_ptr<AudioBench>> benches;
    EventList events(4);
    for (int n = 0; n < context.options.instancesAtOnce; ++n) {
        context.step("creating instance " + std::to_string(n + 1));
        plugins.push_back(std::make_unique<PluginUnderTest>(module));
        plugins.back()->open(kRate, kBlock);
        plugins.back()->resume();
        benches.push_back(std::make_unique<AudioBench>(*plugins.back(), kBlock));
    }
    // Interleaved, as a host renders its tracks.
    for (int block = 0; block < 8; ++block)
        for (size_t n = 0; n < plugins.size(); ++n) {
            context.step("rendering instance " + std::to_string(n + 1));
            playBriefly(*benches[n], events);
        }
    for (size_t n = plugins.size(); n-- > 0;) {
        context.step("closing instance " + std::to_string(n + 1));
        benches[n].reset();
        plugins[n]->close();
    }
}

enum class State { Closed, Open, Resumed };
const char* stateName(State state) {
    return state == State::Closed ? "closed" : state == State::Open ? "open" : "resumed";
}

struct Arguments {
    const char* name;
    VstInt32 index;
    VstIntPtr value;
    bool pointer; // a zeroed guarded buffer, else null
    float opt;
};

// Null: everything zero. Tiny and huge: the extremes of each number, with a real buffer
// (a host never passes a dangling pointer, but it does pass any number).
const Arguments kArgumentSets[] = {
    {"null", 0, 0, false, 0.0f},
    {"tiny", INT32_MIN, INTPTR_MIN, true, FLT_TRUE_MIN},
    {"huge", INT32_MAX, INTPTR_MAX, true, FLT_MAX},
};

// Opcodes whose value is itself an address or a byte count for ptr: a host always
// passes a real one, so they get the buffer, or its size.
bool valueIsAddress(int opcode) { return opcode == 42 || opcode == 69; } // speaker arrangements
bool valueIsSize(int opcode) { return opcode == effSetChunk; }

void bringInto(PluginUnderTest& plugin, State state) {
    if (state == State::Closed)
        return;
    plugin.open(kRate, kBlock);
    if (state == State::Resumed)
        plugin.resume();
}

// After the sweep the instance must still work once given sane settings again.
void renderAfterSweep(CheckContext& context, PluginUnderTest& plugin, State state) {
    context.step(std::string("rendering after the sweep (") + stateName(state) + ")");
    if (state == State::Resumed)
        plugin.suspend();
    // In the closed state the sweep itself sent effOpen.
    plugin.setSampleRate(kRate);
    plugin.setBlockSize(kBlock);
    plugin.resume();
    AudioBench bench(plugin, kBlock);
    EventList events(4);
    for (int block = 0; block < 8; ++block)
        playBriefly(bench, events);
}

// One pass over the opcodes from `first` on, on a fresh instance; the last data
// message names the opcode in hand (or "end" for the render and effClose after them).
void sweepFrom(CheckContext& context, ChildChannel& channel, const PluginModule& module, State state,
               const Arguments& arguments, int first) {
    GuardedRegion buffer(kArgumentBufferBytes);
    GuardedRegion second(kArgumentBufferBytes);
    PluginUnderTest plugin(module);
    bringInto(plugin, state);
    for (int opcode = first; opcode < kOpcodeCount; ++opcode) {
        // effClose ends the instance: it is sent last, below. effEditOpen needs a real
        // parent window: the editor and threads checks open the editor.
        if (opcode == effClose || opcode == effEditOpen)
            continue;
        channel.send('D', std::to_string(opcode));
        void* ptr = nullptr;
        if (arguments.pointer) {
            ptr = buffer.window(kArgumentBufferBytes);
            std::memset(ptr, 0, kArgumentBufferBytes);
        }
        VstIntPtr value = arguments.value;
        if (arguments.pointer && valueIsAddress(opcode)) {
            void* address = second.window(kArgumentBufferBytes);
            std::memset(address, 0, kArgumentBufferBytes);
            value = (VstIntPtr)address;
        }
        if (valueIsSize(opcode) && value != 0)
            value = value < 0 ? 1 : (VstIntPtr)kArgumentBufferBytes;
        plugin.dispatch(opcode, arguments.index, value, ptr, arguments.opt);
        for (GuardedRegion* region : {&buffer, &second}) {
            std::string where = region->damage();
            if (!where.empty())
                throw CheckFailure("wrote outside the buffer it was given (" + where + ")");
        }
        // Keep the state this sweep is about.
        if (opcode == effMainsChanged) {
            if (state == State::Resumed && value == 0)
                plugin.dispatch(effMainsChanged, 0, 1);
            else if (state != State::Resumed && value != 0)
                plugin.dispatch(effMainsChanged, 0, 0);
        }
    }
    channel.send('D', "end");
    renderAfterSweep(context, plugin, state);
    void* ptr = arguments.pointer ? buffer.window(kArgumentBufferBytes) : nullptr;
    plugin.close(arguments.index, arguments.value, ptr, arguments.opt);
}

// Every opcode is tried even after one crashes: the sweep starts again, on a fresh
// instance, from the opcode after the one that failed, and all failures are listed.
void sweepOpcodes(CheckContext& context, State state) {
    std::vector<std::string> faults;
    for (const Arguments& arguments : kArgumentSets) {
        int first = 0;
        while (first <= kOpcodeCount) {
            context.step(std::string("opcodes from ") + std::to_string(first) + " with " + arguments.name +
                         " arguments, " + stateName(state));
            ChildOutcome outcome = runInChild(
                [&](ChildChannel& channel) {
                    PluginModule module(context.options.pluginPath);
                    sweepFrom(context, channel, module, state, arguments, first);
                },
                60.0, context.options.inProcess);
            std::string failure = outcome.failure();
            if (failure.empty())
                break;
            std::string at = outcome.last('D');
            // Only the reason, without the step the outcome appends.
            std::string reason = outcome.last('F');
            if (outcome.signal)
                reason = std::string("signal ") + std::to_string(outcome.signal) + " (" + strsignal(outcome.signal) + ")";
            else if (outcome.timedOut)
                reason = "hangs";
            else if (reason.empty())
                reason = "exit status " + std::to_string(outcome.exitStatus);
            if (at.empty() || at == "end") {
                faults.push_back(std::string(at.empty() ? "creating the instance" : "rendering or closing after the sweep") +
                                 " (" + arguments.name + "): " + reason);
                break;
            }
            faults.push_back("opcode " + at + " (" + arguments.name + "): " + reason);
            first = std::stoi(at) + 1;
        }
    }
    context.step(""); // the faults below name their own opcodes
    if (faults.empty())
        return;
    std::string text;
    for (const std::string& fault : faults)
        text += (text.empty() ? "" : "; ") + fault;
    throw CheckFailure(std::to_string(faults.size()) + (faults.size() == 1 ? " fault: " : " faults: ") + text);
}

void opcodesClosed(CheckContext& context) { sweepOpcodes(context, State::Closed); }
void opcodesOpen(CheckContext& context) { sweepOpcodes(context, State::Open); }
void opcodesResumed(CheckContext& context) { sweepOpcodes(context, State::Resumed); }

} // namespace

void addLifecycleChecks(std::vector<CheckDefinition>& checks) {
    checks.push_back({"instances-in-a-row", 300, instancesInRow});
    checks.push_back({"instances-at-once", 120, instancesAtOnce});
    checks.push_back({"opcodes-closed", 120, opcodesClosed});
    checks.push_back({"opcodes-open", 120, opcodesOpen});
    checks.push_back({"opcodes-resumed", 120, opcodesResumed});
}
