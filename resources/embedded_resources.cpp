// Looks the embedded skin bitmaps up by resource number.
#include "resources/embedded_resources.h"

#define ZELVIK_DECLARE_BITMAP(id)          \
  extern const char kEmbeddedBitmap##id[]; \
  extern const size_t kEmbeddedBitmap##id##Size;

ZELVIK_DECLARE_BITMAP(101)
ZELVIK_DECLARE_BITMAP(104)
ZELVIK_DECLARE_BITMAP(105)
ZELVIK_DECLARE_BITMAP(106)
ZELVIK_DECLARE_BITMAP(107)
ZELVIK_DECLARE_BITMAP(109)
ZELVIK_DECLARE_BITMAP(110)
ZELVIK_DECLARE_BITMAP(114)

namespace {

struct EmbeddedBitmap {
  int id;
  const char* bytes;
  const size_t* size;
};

const EmbeddedBitmap kBitmaps[] = {
    {101, kEmbeddedBitmap101, &kEmbeddedBitmap101Size},
    {104, kEmbeddedBitmap104, &kEmbeddedBitmap104Size},
    {105, kEmbeddedBitmap105, &kEmbeddedBitmap105Size},
    {106, kEmbeddedBitmap106, &kEmbeddedBitmap106Size},
    {107, kEmbeddedBitmap107, &kEmbeddedBitmap107Size},
    {109, kEmbeddedBitmap109, &kEmbeddedBitmap109Size},
    {110, kEmbeddedBitmap110, &kEmbeddedBitmap110Size},
    {114, kEmbeddedBitmap114, &kEmbeddedBitmap114Size},
};

}  // namespace

const unsigned char* findEmbeddedBitmap(int id, size_t* size) {
  for (const EmbeddedBitmap& bitmap : kBitmaps) {
    if (bitmap.id == id) {
      if (size) *size = *bitmap.size;
      return reinterpret_cast<const unsigned char*>(bitmap.bytes);
    }
  }
  if (size) *size = 0;
  return nullptr;
}
