// Program preset files (.fxp) in the parameter form ('FxCk'): big-endian, as hosts write them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FxpProgram {
    int32_t pluginId = 0;      // fxID: the uniqueID of the plug-in the values belong to
    int32_t pluginVersion = 0; // fxVersion
    std::string name;          // at most 27 characters are stored
    std::vector<float> values;

    // Throws HostError for truncated, corrupt or chunk-form ('FxCh') data.
    static FxpProgram parse(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> serialize() const;

    static FxpProgram load(const std::string& path);
    // Written beside the target first and renamed, so a failed write leaves no stray preset.
    void save(const std::string& path) const;
};
