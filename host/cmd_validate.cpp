// `zelvik-render validate PLUGIN`: a hostile host's checks, each in its own process, one
// line per check and a count at the end. Works on any VST 2 plug-in (Linux only).
#include "host/commands.h"
#include "host/host_error.h"
#include "host/validate/check_context.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ValidateCommandOptions {
    ValidateOptions checks;
    std::vector<std::string> only;
    bool list = false;
};

std::vector<CheckDefinition> allChecks() {
    std::vector<CheckDefinition> checks;
    addLifecycleChecks(checks);
    addAudioChecks(checks);
    addStateChecks(checks);
    addThreadChecks(checks);
    return checks;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

void runValidate(const ValidateCommandOptions& command) {
    std::vector<CheckDefinition> checks = allChecks();
    if (command.list) {
        for (const CheckDefinition& check : checks)
            std::printf("%s\n", check.name);
        return;
    }
    for (const std::string& name : command.only) {
        bool known = false;
        for (const CheckDefinition& check : checks)
            known = known || name == check.name;
        if (!known)
            throw HostError("--check " + name + ": no such check (see --list)");
    }
    // A library that cannot even be loaded is bad input, not a failed check.
    if (command.checks.pluginPath.empty())
        throw HostError("no plug-in given");

    int passed = 0;
    int failed = 0;
    for (const CheckDefinition& check : checks) {
        if (!command.only.empty()) {
            bool chosen = false;
            for (const std::string& name : command.only)
                chosen = chosen || name == check.name;
            if (!chosen)
                continue;
        }
        const ValidateOptions& options = command.checks;
        double timeout = check.timeoutSeconds + options.threadSeconds;
        ChildOutcome outcome = runInChild(
            [&](ChildChannel& channel) {
                CheckContext context(options, channel);
                check.run(context);
            },
            timeout, options.inProcess);
        std::string failure = outcome.failure();
        std::string notes = joined(outcome.all('N'));
        if (failure.empty()) {
            ++passed;
            std::printf("PASS %s%s\n", check.name, notes.empty() ? "" : (" (" + notes + ")").c_str());
        } else {
            ++failed;
            std::printf("FAIL %s: %s\n", check.name, failure.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    if (failed > 0)
        std::exit(1);
}

} // namespace

void registerValidateCommand(CLI::App& app) {
    auto options = std::make_shared<ValidateCommandOptions>();
    CLI::App* command = app.add_subcommand("validate", "put a plug-in through a hostile host's checks");
    command->add_option("plugin", options->checks.pluginPath, "the plug-in library (.so)");
    command->add_option("--check", options->only, "run only this check (repeatable)");
    command->add_flag("--list", options->list, "list the checks and stop");
    command->add_option("--peak-limit", options->checks.peakLimit,
                        "the output level the plug-in promises not to exceed (default 0.99; 0: none)");
    command->add_option("--thread-seconds", options->checks.threadSeconds, "running time of the threads check");
    command->add_option("--seed", options->checks.seed, "seed of every random choice");
    command->add_option("--instances-in-row", options->checks.instancesInRow, "instances made one after another");
    command->add_flag("--no-fork", options->checks.inProcess, "run the checks in this process (a crash ends the run)");
    command->callback([options] { runValidate(*options); });
}
