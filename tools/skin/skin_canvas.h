// An RGB painting surface with anti-aliased shapes; every skin bitmap is drawn on one.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct SkinColor {
    double r, g, b;
};

// A pixel rectangle, left/top included, right/bottom excluded.
struct SkinBox {
    int left, top, right, bottom;
};
constexpr SkinBox kWholeCanvas{-1000000, -1000000, 1000000, 1000000};

SkinColor mixColor(SkinColor from, SkinColor to, double amount);
SkinColor scaleColor(SkinColor color, double factor);
SkinColor rgb(int r, int g, int b);

// Signed distances (negative inside) from a pixel-centre position to simple shapes.
double circleDistance(double x, double y, double centreX, double centreY, double radius);
double roundedRectDistance(double x, double y, double left, double top, double right, double bottom, double radius);
double segmentDistance(double x, double y, double ax, double ay, double bx, double by, double halfWidth);

class SkinCanvas {
public:
    using Distance = std::function<double(double x, double y)>;
    using Shader = std::function<SkinColor(double x, double y)>;

    SkinCanvas(int width, int height, SkinColor fill);

    int width() const { return width_; }
    int height() const { return height_; }
    SkinColor pixel(int x, int y) const;
    void setPixel(int x, int y, SkinColor color);
    void blendPixel(int x, int y, SkinColor color, double alpha);

    // Blends shader colours where the shape lies; the edge is a linear ramp `edgeWidth`
    // pixels wide (1 gives ordinary anti-aliasing, more gives soft shadows and glows).
    // `area` only limits the work: pixels outside it are not visited.
    void fillShape(const Distance& distance, const Shader& shader, double opacity = 1.0, double edgeWidth = 1.0,
                   SkinBox area = kWholeCanvas);
    void fillShape(const Distance& distance, SkinColor color, double opacity = 1.0, double edgeWidth = 1.0,
                   SkinBox area = kWholeCanvas);
    void fillRect(int left, int top, int right, int bottom, SkinColor color);

    // Copies a block of `source`; pixels equal to `key` (when given) are left out.
    void blit(const SkinCanvas& source, int sourceX, int sourceY, int width, int height, int destX, int destY,
              const SkinColor* key = nullptr);

    // Turns every pixel the drawing left (practically) untouched into `key`, so that a
    // colour-keyed copy shows the panel there; no drawn pixel keeps the key's exact value.
    void keyUntouched(SkinColor untouchedColor, SkinColor key);

    // Pixels rounded to 8 bits, red, green, blue, top row first.
    std::vector<uint8_t> toRgb8() const;

private:
    int index(int x, int y) const { return y * width_ + x; }

    int width_;
    int height_;
    std::vector<SkinColor> pixels_;
    std::vector<double> coverage_;  // how much of each pixel drawing has covered, 0 to 1
};
