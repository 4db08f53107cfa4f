// The one way a check reports that the plug-in did something wrong.
#pragma once

#include <stdexcept>
#include <string>

class CheckFailure : public std::runtime_error {
public:
    explicit CheckFailure(const std::string& reason) : std::runtime_error(reason) {}
};
