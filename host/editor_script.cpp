// parseEditorScript: the script lines of `zelvik-render editor --script` as steps.
#include "host/editor_script.h"

#include "host/host_error.h"
#include "host/text_format.h"

#include <cmath>
#include <sstream>

namespace {

struct CommandForm {
    const char* name;
    EditorScriptStep::Kind kind;
    int required;         // numbers that must be given
    int optional;         // numbers that may follow
    int defaultValue;     // of the one optional number
    bool takesText;       // the rest of the line is the step's text
};

const CommandForm kForms[] = {
    {"idle", EditorScriptStep::Idle, 1, 0, 0, false},
    {"move", EditorScriptStep::Move, 2, 0, 0, false},
    {"press", EditorScriptStep::Press, 2, 1, 1, false},
    {"release", EditorScriptStep::Release, 0, 1, 1, false},
    {"click", EditorScriptStep::Click, 2, 1, 1, false},
    {"drag", EditorScriptStep::Drag, 4, 1, 10, false},
    {"key", EditorScriptStep::Key, 0, 0, 0, true},
    {"type", EditorScriptStep::Type, 0, 0, 0, true},
    {"png", EditorScriptStep::Png, 0, 0, 0, true},
    {"params", EditorScriptStep::Params, 0, 0, 0, false},
    {"calls", EditorScriptStep::Calls, 0, 0, 0, false},
    {"close-host", EditorScriptStep::CloseHost, 0, 0, 0, false},
    {"notes", EditorScriptStep::Notes, 1, 0, 0, false},
    {"windows", EditorScriptStep::Windows, 0, 0, 0, false},
};

const char* const kKeyNames[] = {"Return", "Escape", "BackSpace", "Delete", "Tab", "Left",
                                  "Right",  "Up",     "Down",      "Home",   "End", "Shift_L"};

[[noreturn]] void fail(int line, const std::string& message) {
    throw HostError("script line " + std::to_string(line) + ": " + message);
}

bool isKeyName(const std::string& name) {
    if (name.size() == 1) return name[0] > ' ' && name[0] < 0x7f;
    for (const char* known : kKeyNames)
        if (name == known) return true;
    return false;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Checks what each kind's numbers mean: buttons 1 to 3, at least one drag step, times and
// note counts not negative.
void checkNumbers(const EditorScriptStep& step) {
    const std::vector<int>& n = step.numbers;
    switch (step.kind) {
        case EditorScriptStep::Press:
        case EditorScriptStep::Click:
            if (n[2] < 1 || n[2] > 3) fail(step.line, "the button must be 1, 2 or 3");
            break;
        case EditorScriptStep::Release:
            if (n[0] < 1 || n[0] > 3) fail(step.line, "the button must be 1, 2 or 3");
            break;
        case EditorScriptStep::Drag:
            if (n[4] < 1) fail(step.line, "a drag needs at least one step");
            break;
        case EditorScriptStep::Idle:
            if (n[0] < 0) fail(step.line, "the time must not be negative");
            break;
        case EditorScriptStep::Notes:
            if (n[0] < 0 || n[0] > 128) fail(step.line, "the number of notes must be 0 to 128");
            break;
        default:
            break;
    }
}

EditorScriptStep parseLine(const std::string& content, int line) {
    std::istringstream words(content);
    std::string name;
    words >> name;
    const CommandForm* form = nullptr;
    for (const CommandForm& candidate : kForms)
        if (name == candidate.name) form = &candidate;
    if (!form) fail(line, "unknown command '" + printable(name) + "'");

    EditorScriptStep step;
    step.kind = form->kind;
    step.line = line;
    if (form->takesText) {
        step.text = trimmed(content.substr(name.size()));
        if (step.text.empty()) fail(line, name + " needs an argument");
        // `type` keeps the text as written, inner blanks included.
        if (step.kind == EditorScriptStep::Key && !isKeyName(step.text))
            fail(line, "unknown key '" + printable(step.text) + "'");
        return step;
    }
    std::string word;
    while (words >> word) {
        double value = 0.0;
        if (!parseNumber(word, value) || value != std::floor(value) || std::fabs(value) > 1e6)
            fail(line, "'" + printable(word) + "' is not a whole number");
        step.numbers.push_back(static_cast<int>(value));
    }
    const int given = static_cast<int>(step.numbers.size());
    if (given < form->required || given > form->required + form->optional) {
        const int most = form->required + form->optional;
        fail(line, name + " takes " + std::to_string(form->required) +
                       (form->optional ? " or " + std::to_string(most) : std::string()) +
                       (most == 1 ? " number" : " numbers") + ", got " + std::to_string(given));
    }
    if (given < form->required + form->optional) step.numbers.push_back(form->defaultValue);
    checkNumbers(step);
    return step;
}

}  // namespace

std::vector<EditorScriptStep> parseEditorScript(const std::string& text) {
    std::vector<EditorScriptStep> steps;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') continue;
        steps.push_back(parseLine(content, number));
    }
    return steps;
}
