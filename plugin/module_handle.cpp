// Storage of the module instance handle (written once at library attach).
#include "plugin/module_handle.h"

namespace {
void* storedModuleHandle = nullptr;
}

void* moduleHandle() { return storedModuleHandle; }

void setModuleHandle(void* handle) { storedModuleHandle = handle; }
