// Parameter changes from threads other than the audio thread: stored at once, applied by
// the audio thread at its next call, in the order they came.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "plugin/parameter_queue.h"
#include "plugin/synth_plugin.h"
#include "tests/recording_host.h"

namespace {

constexpr int kCutoff = 53, kFilterEnv = 55;

// The plug-in with its audio calls made on a thread of its own, as a host's audio thread.
class AudioThreadPlugin : public SynthPlugin {
public:
    AudioThreadPlugin() : SynthPlugin(TestHost::callback) {}
    void renderOnAudioThread() {
        std::thread([this] {
            float left[64] = {}, right[64] = {};
            float* outputs[2] = {left, right};
            processReplacing(nullptr, outputs, 64);
        }).join();
    }
};

TEST(PluginThreads, AnotherThreadsChangeIsReadAtOnceAndReachesTheEngineAtTheNextBlock) {
    AudioThreadPlugin plugin;
    plugin.renderOnAudioThread();  // that thread is now the audio thread
    const float before = plugin.getEngine().cutoff;

    plugin.setParameter(kCutoff, 0.2f);
    plugin.setParameter(kCutoff, 0.7f);
    plugin.setParameterFromEditor(kFilterEnv, 0.25f);
    EXPECT_EQ(plugin.getParameter(kCutoff), 0.7f);
    EXPECT_EQ(plugin.storedProgram().values[kCutoff], 0.7f);
    char text[64] = {};
    plugin.getParameterDisplay(kCutoff, text);
    EXPECT_STREQ(text, "0.70");
    EXPECT_EQ(plugin.getEngine().cutoff, before) << "the engine belongs to the audio thread";

    plugin.renderOnAudioThread();
    EXPECT_EQ(plugin.getEngine().cutoff, 0.7f) << "the later of two changes wins";
    EXPECT_EQ(plugin.getEngine().filterEnvAmount, 0.25f);
}

TEST(PluginThreads, AFullQueueLosesNoValue) {
    AudioThreadPlugin plugin;
    plugin.renderOnAudioThread();
    const int changes = 3 * ParameterQueue::kCapacity;
    for (int i = 0; i <= changes; ++i) plugin.setParameter(kCutoff, float(i) / changes);
    plugin.renderOnAudioThread();
    EXPECT_EQ(plugin.getEngine().cutoff, 1.0f);
}

TEST(PluginThreads, QueueDeliversEveryProducersChangesOnceAndInOrder) {
    ParameterQueue queue;
    constexpr int kProducers = 4, kEach = 5000;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&queue, p] {
            for (int i = 0; i < kEach;)
                if (queue.push(ParameterChange{p, float(i), false})) ++i;
        });
    std::vector<int> next(kProducers, 0);
    for (int received = 0; received < kProducers * kEach;) {
        ParameterChange change;
        if (!queue.pop(change)) continue;
        ASSERT_EQ(change.value, float(next[change.index])) << "producer " << change.index;
        ++next[change.index];
        ++received;
    }
    for (std::thread& producer : producers) producer.join();
    ParameterChange extra;
    EXPECT_FALSE(queue.pop(extra));
}

}  // namespace
