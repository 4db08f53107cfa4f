// Which thread is calling: a number unique among the process's live threads, found
// without allocating (the audio thread asks on every block).
#pragma once

#include <cstdint>

#if defined(_WIN32)
extern "C" __declspec(dllimport) unsigned long __stdcall GetCurrentThreadId(void);
inline uint64_t currentThreadIdentity() { return GetCurrentThreadId(); }
#else
#include <pthread.h>
inline uint64_t currentThreadIdentity() { return static_cast<uint64_t>(pthread_self()); }
#endif
