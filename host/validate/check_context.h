// What every validator check is given, and the table of checks.
#pragma once

#include "host/validate/check_failure.h"
#include "host/validate/check_process.h"

#include <string>
#include <vector>

struct ValidateOptions {
    std::string pluginPath;
    double peakLimit = 0.99;   // the output limit the plug-in promises (0: not checked)
    double threadSeconds = 10; // how long the threads check runs
    unsigned seed = 12;        // for every random choice, so that runs repeat
    int instancesInRow = 1000;
    int instancesAtOnce = 33;
    bool inProcess = false;    // run checks without a child process
};

class CheckContext {
public:
    CheckContext(const ValidateOptions& options, ChildChannel& channel) : options(options), channel_(channel) {}
    // What the check is about to do; named in the report if the plug-in crashes there.
    void step(const std::string& what) { channel_.send('S', what); }
    // Extra words for the check's report line.
    void note(const std::string& what) { channel_.send('N', what); }
    void data(const std::string& what) { channel_.send('D', what); }
    ChildChannel& channel() { return channel_; }

    const ValidateOptions& options;

private:
    ChildChannel& channel_;
};

struct CheckDefinition {
    const char* name;
    double timeoutSeconds; // beyond the threads check's own running time
    void (*run)(CheckContext& context);
};

// In the order they run. Each group lives in its own file.
void addLifecycleChecks(std::vector<CheckDefinition>& checks);
void addAudioChecks(std::vector<CheckDefinition>& checks);
void addStateChecks(std::vector<CheckDefinition>& checks);
void addThreadChecks(std::vector<CheckDefinition>& checks);
