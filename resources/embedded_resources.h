// The skin bitmaps compiled into the library, for platforms without module resources.
#pragma once

#include <cstddef>

// The bytes of BMP file `id` (101, 104-107, 109, 110, 114) and its size in `size`;
// nullptr (and size 0) for any other id. `size` may be null. Thread-safe: static data.
const unsigned char* findEmbeddedBitmap(int id, size_t* size);
