// The module (DLL) instance handle, stored at attach for loading our own resources.
#pragma once

// The HINSTANCE on Windows, as an opaque pointer; null elsewhere and before attach.
void* moduleHandle();
void setModuleHandle(void* handle);
