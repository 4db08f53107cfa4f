// `zelvik-render snapshot`: a picture of a plug-in's editor (not available yet).
#include "host/commands.h"
#include "host/host_error.h"

#include <CLI/CLI.hpp>

void registerSnapshotCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand("snapshot", "draw the plug-in's editor into a picture");
    command->callback([] { throw HostError("snapshot is not available yet"); });
}
