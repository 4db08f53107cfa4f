// The set of skin bitmaps by resource number, and writing them out as BMP files.
#pragma once

#include <string>
#include <vector>

struct SkinBitmapFile {
    int id;
    const char* fileName;  // inside resources/skin/
    int width, height;
};

// Bitmaps 101, 104-107, 109, 110 and 114 with their sizes.
const std::vector<SkinBitmapFile>& skinBitmapFiles();

// Paints every bitmap and writes it to `folder`; with a preview folder also PNG copies and
// a preview of the composed editor. Fonts come from `fontFolder`.
bool writeSkinBitmaps(const std::string& folder, const std::string& previewFolder, const std::string& fontFolder,
                      std::string* error);
