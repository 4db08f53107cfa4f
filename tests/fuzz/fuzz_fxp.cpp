// The .fxp reader: any bytes either parse or throw HostError, and what parses writes
// back to bytes that parse to the same program.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/fxp_program.h"
#include "host/host_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FxpProgram program;
    try {
        program = FxpProgram::parse(std::vector<uint8_t>(data, data + size));
    } catch (const HostError&) {
        return 0;
    }
    FxpProgram again = FxpProgram::parse(program.serialize());
    if (again.pluginId != program.pluginId || again.pluginVersion != program.pluginVersion ||
        again.name != program.name || again.values.size() != program.values.size())
        std::abort();
    if (!program.values.empty() &&
        std::memcmp(again.values.data(), program.values.data(), program.values.size() * sizeof(float)) != 0)
        std::abort();
    return 0;
}
