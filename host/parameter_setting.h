// `--set NAME=V` and `--set INDEX=V`, the way every sub-command reads them.
#pragma once

#include <functional>
#include <string>

struct ParameterSetting {
    int index;
    float value;
};

// Parameter i's name, for i from 0 to the plug-in's count.
using ParameterNameSource = std::function<std::string(int index)>;

// The parameter with this name: exact first, then ignoring case; blanks around either
// name are ignored. -1 when none has it.
int findParameterByName(const std::string& name, int count, const ParameterNameSource& nameOf);

// Reads NAME=V or INDEX=V with V from 0 to 1; throws HostError saying what is wrong.
ParameterSetting parseParameterSetting(const std::string& setting, int count, const ParameterNameSource& nameOf);
