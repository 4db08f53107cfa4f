// zelvik-skin: paints the skin bitmaps into a folder, optionally with PNG previews.
//   zelvik-skin OUTPUT_FOLDER [--preview PREVIEW_FOLDER] [--fonts FONT_FOLDER]
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/skin/skin_bitmaps.h"

int main(int argc, char** argv) {
    std::string output, preview, fonts = ZELVIK_SKIN_FONT_DIR;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--preview") && i + 1 < argc) {
            preview = argv[++i];
        } else if (!std::strcmp(argv[i], "--fonts") && i + 1 < argc) {
            fonts = argv[++i];
        } else if (argv[i][0] != '-' && output.empty()) {
            output = argv[i];
        } else {
            output.clear();
            break;
        }
    }
    if (output.empty()) {
        std::fprintf(stderr, "usage: zelvik-skin OUTPUT_FOLDER [--preview FOLDER] [--fonts FOLDER]\n");
        return 2;
    }
    std::string error;
    if (!writeSkinBitmaps(output, preview, fonts, &error)) {
        std::fprintf(stderr, "zelvik-skin: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
