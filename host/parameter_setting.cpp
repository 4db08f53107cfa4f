// The one reader of --set.
#include "host/parameter_setting.h"

#include "host/host_error.h"
#include "host/text_format.h"

#include <cctype>

namespace {

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
            return false;
    return true;
}

} // namespace

int findParameterByName(const std::string& name, int count, const ParameterNameSource& nameOf) {
    std::string wanted = trimmed(name);
    int caseInsensitiveMatch = -1;
    for (int i = 0; i < count; ++i) {
        std::string candidate = trimmed(nameOf(i));
        if (candidate == wanted)
            return i;
        if (caseInsensitiveMatch < 0 && sameIgnoringCase(candidate, wanted))
            caseInsensitiveMatch = i;
    }
    return caseInsensitiveMatch;
}

ParameterSetting parseParameterSetting(const std::string& setting, int count, const ParameterNameSource& nameOf) {
    size_t equals = setting.rfind('=');
    if (equals == std::string::npos || equals == 0)
        throw HostError("--set " + setting + ": expected NAME=VALUE or INDEX=VALUE");
    std::string key = trimmed(setting.substr(0, equals));
    double value = 0;
    if (!parseNumber(trimmed(setting.substr(equals + 1)), value) || value < 0.0 || value > 1.0)
        throw HostError("--set " + setting + ": the value must be a number from 0 to 1");
    int index = -1;
    if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos) {
        index = key.size() <= 6 ? std::stoi(key) : -1;
        if (index < 0 || index >= count)
            throw HostError("--set " + setting + ": no parameter " + key + " (the plug-in has " +
                            std::to_string(count) + ")");
    } else {
        index = findParameterByName(key, count, nameOf);
        if (index < 0)
            throw HostError("--set " + setting + ": the plug-in has no parameter named \"" + key + "\"");
    }
    return ParameterSetting{index, (float)value};
}
