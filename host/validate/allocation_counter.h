// Counts heap allocations made by the calling thread while counting is switched on.
// The validator's executable replaces malloc and friends with versions that count and
// then hand over to the C library; a loaded plug-in's allocations go through them too.
// In sanitizer builds the sanitizer owns malloc, and its allocation hooks count instead.
#pragma once

namespace allocation_counter {

// Whether this build can count at all.
bool available();
// Counting applies to the calling thread only.
void start();
// Stops counting and answers how many allocations (malloc, calloc, realloc,
// aligned forms, operator new) the thread made since start().
long stop();

} // namespace allocation_counter
