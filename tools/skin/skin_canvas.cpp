// Anti-aliased painting from signed distances: coverage of a pixel is a ramp across the edge.
#include "tools/skin/skin_canvas.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t toByte(double value) {
    const double rounded = std::floor(value + 0.5);
    return static_cast<uint8_t>(std::min(255.0, std::max(0.0, rounded)));
}

bool sameByteColor(SkinColor a, SkinColor b) {
    return toByte(a.r) == toByte(b.r) && toByte(a.g) == toByte(b.g) && toByte(a.b) == toByte(b.b);
}

}  // namespace

SkinColor mixColor(SkinColor from, SkinColor to, double amount) {
    return {from.r + (to.r - from.r) * amount, from.g + (to.g - from.g) * amount, from.b + (to.b - from.b) * amount};
}

SkinColor scaleColor(SkinColor color, double factor) { return {color.r * factor, color.g * factor, color.b * factor}; }

SkinColor rgb(int r, int g, int b) { return {double(r), double(g), double(b)}; }

double circleDistance(double x, double y, double centreX, double centreY, double radius) {
    return std::hypot(x - centreX, y - centreY) - radius;
}

double roundedRectDistance(double x, double y, double left, double top, double right, double bottom, double radius) {
    const double halfW = (right - left) * 0.5, halfH = (bottom - top) * 0.5;
    const double qx = std::fabs(x - (left + halfW)) - (halfW - radius);
    const double qy = std::fabs(y - (top + halfH)) - (halfH - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

double segmentDistance(double x, double y, double ax, double ay, double bx, double by, double halfWidth) {
    const double dx = bx - ax, dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((x - ax) * dx + (y - ay) * dy) / lengthSquared : 0.0;
    t = std::min(1.0, std::max(0.0, t));
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy)) - halfWidth;
}

SkinCanvas::SkinCanvas(int width, int height, SkinColor fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill), coverage_(size_t(width) * height, 0.0) {}

SkinColor SkinCanvas::pixel(int x, int y) const { return pixels_[index(x, y)]; }

void SkinCanvas::setPixel(int x, int y, SkinColor color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[index(x, y)] = color;
    coverage_[index(x, y)] = 1.0;
}

void SkinCanvas::blendPixel(int x, int y, SkinColor color, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0) return;
    alpha = std::min(alpha, 1.0);
    SkinColor& target = pixels_[index(x, y)];
    target = mixColor(target, color, alpha);
    double& covered = coverage_[index(x, y)];
    covered = covered + alpha * (1.0 - covered);
}

void SkinCanvas::fillShape(const Distance& distance, const Shader& shader, double opacity, double edgeWidth,
                           SkinBox area) {
    for (int y = std::max(0, area.top); y < std::min(height_, area.bottom); ++y) {
        for (int x = std::max(0, area.left); x < std::min(width_, area.right); ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double d = distance(px, py);
            const double cover = std::min(1.0, std::max(0.0, 0.5 - d / edgeWidth));
            if (cover > 0.0) blendPixel(x, y, shader(px, py), cover * opacity);
        }
    }
}

void SkinCanvas::fillShape(const Distance& distance, SkinColor color, double opacity, double edgeWidth, SkinBox area) {
    fillShape(
        distance, [color](double, double) { return color; }, opacity, edgeWidth, area);
}

void SkinCanvas::fillRect(int left, int top, int right, int bottom, SkinColor color) {
    for (int y = std::max(0, top); y < std::min(bottom, height_); ++y)
        for (int x = std::max(0, left); x < std::min(right, width_); ++x) setPixel(x, y, color);
}

void SkinCanvas::blit(const SkinCanvas& source, int sourceX, int sourceY, int width, int height, int destX, int destY,
                      const SkinColor* key) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int sx = sourceX + x, sy = sourceY + y;
            if (sx < 0 || sy < 0 || sx >= source.width_ || sy >= source.height_) continue;
            const SkinColor color = source.pixel(sx, sy);
            if (key && sameByteColor(color, *key)) continue;
            setPixel(destX + x, destY + y, color);
        }
    }
}

void SkinCanvas::keyUntouched(SkinColor untouchedColor, SkinColor key) {
    for (size_t i = 0; i < pixels_.size(); ++i) {
        SkinColor& color = pixels_[i];
        if (coverage_[i] < 0.5 / 255.0 || sameByteColor(color, untouchedColor)) {
            color = key;
        } else if (sameByteColor(color, key)) {
            color.b = key.b < 128 ? key.b + 1 : key.b - 1;  // a drawn pixel never reads as the key
        }
    }
}

std::vector<uint8_t> SkinCanvas::toRgb8() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(pixels_.size() * 3);
    for (const SkinColor& color : pixels_) {
        bytes.push_back(toByte(color.r));
        bytes.push_back(toByte(color.g));
        bytes.push_back(toByte(color.b));
    }
    return bytes;
}
