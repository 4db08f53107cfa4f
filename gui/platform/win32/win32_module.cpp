// The module handle, found from an address inside this code rather than handed in at attach,
// so the back end depends on nothing but the system.
#include "gui/platform/win32/win32_module.h"

namespace gui_platform {
namespace win32 {

HINSTANCE moduleInstance() {
    static HINSTANCE instance = nullptr;
    if (!instance) {
        HMODULE found = nullptr;
        if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<LPCSTR>(&moduleInstance), &found)) {
            instance = found;
        }
    }
    return instance;
}

}  // namespace win32
}  // namespace gui_platform
