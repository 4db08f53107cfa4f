// zelvik-render: a command-line VST 2 host. Sub-commands live in cmd_*.cpp.
#include "host/commands.h"
#include "host/host_error.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {
constexpr int kExitBadInput = 2;

int fail(const std::string& message) {
    std::string line = message;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "zelvik-render: error: %s\n", line.c_str());
    return kExitBadInput;
}
} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // "\n" line ends on every build, so output compares byte for byte with Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    CLI::App app{"zelvik-render: load a VST 2 plug-in, describe it, or render MIDI through it"};
    app.require_subcommand(1);
    // Paths such as /tmp/a.mid must stay paths on Windows too (sub-commands inherit this).
    app.allow_windows_style_options(false);
    registerInfoCommand(app);
    registerRenderCommand(app);
    registerDemoCommand(app);
    registerSnapshotCommand(app);
    registerEditorCommand(app);
#ifdef ZELVIK_HAVE_VALIDATE
    registerValidateCommand(app);
#endif
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0)
            return app.exit(error); // --help
        if (app.get_subcommands().empty() && argc > 1 && argv[1][0] != '-')
            return fail(std::string("unknown command '") + argv[1] + "' (expected info, render, demo, snapshot, editor or validate)");
        return fail(error.what());
    } catch (const HostError& error) {
        return fail(error.what());
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
    return 0;
}
