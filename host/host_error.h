// The one failure type of zelvik-render: a message for the user, printed as one line.
#pragma once

#include <stdexcept>
#include <string>

// Thrown for bad input (files, options, plug-ins that cannot be loaded); main() prints
// it as a single "zelvik-render: error: ..." line and exits with code 2.
class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};
