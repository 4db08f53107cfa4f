// Paints the whole skin and writes it; previews are PNG copies to look at, never inputs.
#include "tools/skin/skin_bitmaps.h"

#include <filesystem>
#include <fstream>

#include "tools/skin/bmp_codec.h"
#include "tools/skin/editor_view.h"
#include "tools/skin/help_painter.h"
#include "tools/skin/knob_painter.h"
#include "tools/skin/panel_painter.h"
#include "tools/skin/skin_fonts.h"
#include "tools/skin/skin_layout.h"
#include "tools/skin/switch_painter.h"
#include "tools/skin/voice_indicator_painter.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

RgbImage toImage(const SkinCanvas& canvas) {
    RgbImage image;
    image.width = canvas.width();
    image.height = canvas.height();
    image.rgb = canvas.toRgb8();
    return image;
}

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) *error = "cannot write " + path.string();
    return bool(file);
}

bool writePreview(const std::filesystem::path& path, const SkinCanvas& canvas, std::string* error) {
    const std::vector<uint8_t> pixels = canvas.toRgb8();
    if (stbi_write_png(path.string().c_str(), canvas.width(), canvas.height(), 3, pixels.data(), canvas.width() * 3))
        return true;
    *error = "cannot write " + path.string();
    return false;
}

}  // namespace

const std::vector<SkinBitmapFile>& skinBitmapFiles() {
    static const std::vector<SkinBitmapFile> files = {
        {101, "101_panel.bmp", kPanelWidth, kPanelHeight},
        {104, "104_knob_black.bmp", kKnobSize, kKnobSize * kKnobFrames},
        {105, "105_knob_silver.bmp", kKnobSize, kKnobSize * kKnobFrames},
        {106, "106_knob_orange.bmp", kKnobSize, kKnobSize * kKnobFrames},
        {107, "107_knob_red.bmp", kKnobSize, kKnobSize * kKnobFrames},
        {109, "109_switch.bmp", kSwitchWidth, kSwitchHeight * 2},
        {110, "110_voices.bmp", kVoiceFrameSize, kVoiceFrameSize * kVoiceFrames},
        {114, "114_help.bmp", kPanelWidth, kPanelHeight},
    };
    return files;
}

bool writeSkinBitmaps(const std::string& folder, const std::string& previewFolder, const std::string& fontFolder,
                      std::string* error) {
    const SkinFonts fonts(fontFolder);
    if (!fonts.loaded()) {
        *error = "cannot load the Liberation Sans fonts from " + fontFolder;
        return false;
    }
    SkinImages images{paintPanel(fonts),
                      {paintKnobStrip(0), paintKnobStrip(1), paintKnobStrip(2), paintKnobStrip(3)},
                      paintSwitch(),
                      paintVoiceIndicator(fonts.bold)};
    const SkinCanvas editorView = composeEditorView(images, fonts);
    const SkinCanvas help = paintHelpPicture(editorView, fonts);
    const SkinCanvas* byFile[] = {
        &images.panel,         &images.knobStrips[0], &images.knobStrips[1], &images.knobStrips[2],
        &images.knobStrips[3], &images.switchImage,   &images.voiceStrip,    &help};

    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    for (size_t i = 0; i < skinBitmapFiles().size(); ++i) {
        const std::filesystem::path path = std::filesystem::path(folder) / skinBitmapFiles()[i].fileName;
        if (!writeFile(path, encodeBmp24(toImage(*byFile[i])), error)) return false;
    }
    if (previewFolder.empty()) return true;

    std::filesystem::create_directories(previewFolder, ignored);
    for (size_t i = 0; i < skinBitmapFiles().size(); ++i) {
        std::filesystem::path path = std::filesystem::path(previewFolder) / skinBitmapFiles()[i].fileName;
        path.replace_extension(".png");
        if (!writePreview(path, *byFile[i], error)) return false;
    }
    // The same view with sample read-outs in the editor's cyan, to judge their legibility.
    SkinCanvas withReadouts = editorView;
    for (const SkinControl& control : kSynthLayout)
        if (control.hasValueDisplay)
            fonts.regular.drawCentred(withReadouts, "0.50", valueBox(control), 10.0, rgb(0, 255, 255));
    return writePreview(std::filesystem::path(previewFolder) / "editor_view.png", editorView, error) &&
           writePreview(std::filesystem::path(previewFolder) / "editor_readouts.png", withReadouts, error);
}
