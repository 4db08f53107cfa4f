// Text forms that must read the same on every build: floats, four-character codes, names.
#pragma once

#include <cstdint>
#include <string>

// Shortest text that reads back as the same float ("0.5", "0.123", "1"), identical on
// Linux and Windows because it does not go through the C library's printf.
std::string formatFloat(float value);

// A uniqueID as its four characters, non-printable bytes as \xNN: "Zlvk".
std::string fourCharacters(int32_t code);

// Plug-in supplied text made safe for one output line: control characters become '?'.
std::string printable(const std::string& text);

// Parses a whole string as a number; false when anything is left over or nothing is read.
bool parseNumber(const std::string& text, double& value);
