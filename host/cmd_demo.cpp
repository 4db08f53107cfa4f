// `zelvik-render demo`: the showcase render of the instrument (not available yet).
#include "host/commands.h"
#include "host/host_error.h"

#include <CLI/CLI.hpp>

void registerDemoCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand("demo", "render the built-in demonstration piece");
    command->callback([] { throw HostError("demo is not available yet"); });
}
