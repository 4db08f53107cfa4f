// The module (DLL or EXE) this back end is linked into, for its resources and class name.
#pragma once

#include <windows.h>

namespace gui_platform {
namespace win32 {

// The instance handle of the module holding this code: the plug-in DLL, whatever loaded it.
HINSTANCE moduleInstance();

}  // namespace win32
}  // namespace gui_platform
