// Deterministic text forms for the host's output.
#include "host/text_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string formatFloat(float value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string fourCharacters(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        unsigned char c = (unsigned char)((uint32_t)code >> shift);
        if (c >= 0x20 && c < 0x7F) {
            text += (char)c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

std::string printable(const std::string& text) {
    std::string clean = text;
    for (char& c : clean)
        if ((unsigned char)c < 0x20 || c == 0x7F)
            c = '?';
    return clean;
}

bool parseNumber(const std::string& text, double& value) {
    if (text.empty() || text.find_first_of(" \t\n") != std::string::npos)
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}
