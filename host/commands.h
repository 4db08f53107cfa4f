// The sub-commands of zelvik-render; main() registers each one with the command line.
#pragma once

namespace CLI {
class App;
}

// Each adds its sub-command, options and action to the application. Actions report bad
// input by throwing HostError; main() turns that into one line and exit code 2.
void registerInfoCommand(CLI::App& app);
void registerRenderCommand(CLI::App& app);
void registerDemoCommand(CLI::App& app);
void registerSnapshotCommand(CLI::App& app);
void registerEditorCommand(CLI::App& app);
void registerValidateCommand(CLI::App& app); // native Linux builds only
