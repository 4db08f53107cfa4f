// The scripts `zelvik-render editor --script FILE` runs against an embedded editor.
//
// One command a line; blank lines and lines starting with # are ignored:
//   idle MS                 serve events and host idle for MS milliseconds
//   move X Y                pointer to X Y of the editor's window
//   press X Y [BUTTON]      move there and press (1 left, 2 middle, 3 right; default 1)
//   release [BUTTON]        release at the current position
//   click X Y [BUTTON]      press and release there
//   drag X1 Y1 X2 Y2 [STEPS]  press at the first point, move in STEPS (default 10), release
//   key NAME                press and release a key (see EditorHostWindow::pressKey)
//   type TEXT               press and release each character of the rest of the line
//   png FILE                capture the window to a PNG file
//   params                  print every parameter's index, name, value and display
//   calls                   print the host calls received since the last `calls`
//   close-host              destroy the host window before the editor is closed
//   notes N                 start N notes (60, 61, ...) and process one block of audio, so
//                           an instrument's editor can show them
//   windows                 print how many other top-level windows are shown (dialogs the
//                           plug-in opened)
#pragma once

#include <string>
#include <vector>

struct EditorScriptStep {
    enum Kind { Idle, Move, Press, Release, Click, Drag, Key, Type, Png, Params, Calls, CloseHost, Notes, Windows };
    Kind kind;
    std::vector<int> numbers;  // in the order the line gives them, defaults filled in
    std::string text;          // key name, typed text or file path
    int line = 0;              // for messages
};

// Parses a whole script; throws HostError naming the line of the first bad command.
std::vector<EditorScriptStep> parseEditorScript(const std::string& text);
