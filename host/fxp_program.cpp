// Reading and writing .fxp program files.
#include "host/fxp_program.h"

#include "host/file_util.h"
#include "host/host_error.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kChunkMagic = 0x43636E4B;  // 'CcnK'
constexpr uint32_t kParamsMagic = 0x4678436B; // 'FxCk'
constexpr uint32_t kOpaqueMagic = 0x46784368; // 'FxCh'
constexpr size_t kHeaderBytes = 56;           // seven 32-bit fields and the 28-byte name
constexpr size_t kNameBytes = 28;
constexpr uint32_t kMaxParams = 100000;

uint32_t readWord(const uint8_t* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

void appendWord(std::vector<uint8_t>& out, uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((uint8_t)(word >> shift));
}

} // namespace

FxpProgram FxpProgram::parse(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kHeaderBytes)
        throw HostError("truncated .fxp file");
    const uint8_t* data = bytes.data();
    if (readWord(data) != kChunkMagic)
        throw HostError("not an .fxp file (no CcnK header)");
    uint32_t kind = readWord(data + 8);
    if (kind == kOpaqueMagic)
        throw HostError("opaque-chunk .fxp files (FxCh) are not supported, only parameter presets (FxCk)");
    if (kind != kParamsMagic)
        throw HostError("not a program .fxp file (no FxCk tag)");

    FxpProgram program;
    program.pluginId = (int32_t)readWord(data + 16);
    program.pluginVersion = (int32_t)readWord(data + 20);
    uint32_t count = readWord(data + 24);
    if (count > kMaxParams)
        throw HostError("corrupt .fxp file: " + std::to_string(count) + " parameters");
    if (bytes.size() < kHeaderBytes + 4 * (size_t)count)
        throw HostError("truncated .fxp file: " + std::to_string(count) + " values announced");
    const char* name = (const char*)data + 28;
    // The field's last byte is the terminator's place: a name filling all 28 bytes is
    // read as the 27 characters that saving it again keeps.
    program.name.assign(name, strnlen(name, kNameBytes - 1));
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t word = readWord(data + kHeaderBytes + 4 * i);
        float value;
        std::memcpy(&value, &word, sizeof value);
        if (!(value >= 0.0f && value <= 1.0f))
            throw HostError("corrupt .fxp file: value " + std::to_string(i) + " is outside 0..1");
        program.values.push_back(value);
    }
    return program;
}

std::vector<uint8_t> FxpProgram::serialize() const {
    std::vector<uint8_t> out;
    appendWord(out, kChunkMagic);
    appendWord(out, (uint32_t)(kHeaderBytes - 8 + 4 * values.size())); // size after this field
    appendWord(out, kParamsMagic);
    appendWord(out, 1); // format version
    appendWord(out, (uint32_t)pluginId);
    appendWord(out, (uint32_t)pluginVersion);
    appendWord(out, (uint32_t)values.size());
    char nameField[kNameBytes] = {};
    std::memcpy(nameField, name.data(), std::min(name.size(), kNameBytes - 1));
    out.insert(out.end(), nameField, nameField + kNameBytes);
    for (float value : values) {
        uint32_t word;
        std::memcpy(&word, &value, sizeof word);
        appendWord(out, word);
    }
    return out;
}

FxpProgram FxpProgram::load(const std::string& path) {
    std::vector<uint8_t> bytes = readWholeFile(path, 1u << 20);
    try {
        return parse(bytes);
    } catch (const HostError& error) {
        throw HostError(path + ": " + error.what());
    }
}

void FxpProgram::save(const std::string& path) const { writeFileAtomically(path, serialize()); }
