// GuiKnob: angle/value mapping, circular and linear dragging, arrow keys and the drawn handle.
#include "gui/views/gui_knob.h"

#include <cmath>

#include "gui/bitmap.h"
#include "gui/draw_context.h"
#include "gui/frame.h"

namespace {
// 2 pi rounded to float for wrapping angles, and in double for the range test, so that an angle
// a hair above the float value still counts as a full turn.
constexpr float kTwoPiFloat = 6.2831855f;
constexpr double kTwoPiDouble = 6.283185307179586;
constexpr float kDefaultStartAngle = 3.9269907f;   // 225 degrees
constexpr float kDefaultRangeAngle = -4.712389f;   // 270 degrees clockwise
constexpr float kLinearDragPixels = 200.0f;        // pixels of linear drag that sweep the range
constexpr VstInt32 kControlClick = buttonLeft | modifierControl;

VstInt32 insetForHandle(const GuiBitmap* bitmap) {
    return static_cast<VstInt32>(bitmap->getWidth() * 0.5 + 2.5);
}
}  // namespace

GuiKnob::GuiKnob(const GuiRect& size, GuiControlListener* listener, VstInt32 tag, GuiBitmap* background,
                 GuiBitmap* handleBitmap, const GuiPoint& offset)
    : GuiControl(size, listener, tag, background),
      offset(offset),
      handleColor(colorWhite),
      handleShadowColor(colorGrey),
      handleBitmap(handleBitmap),
      radius((size.right - size.left) * 0.5f) {
    if (handleBitmap) {
        handleBitmap->addReference();
        inset = insetForHandle(handleBitmap);
    }
    // A non-zero range first, so that the start angle's coefficients never divide by zero.
    setSweepAngle(1.0f);
    setSweepStart(kDefaultStartAngle);
    setSweepAngle(kDefaultRangeAngle);
}

GuiKnob::~GuiKnob() {
    if (handleBitmap) handleBitmap->dropReference();
}

void GuiKnob::computeCoefficients() {
    aCoef = (maximum - minimum) / rangeAngle;
    bCoef = minimum - aCoef * startAngle;
    halfGap = (kTwoPiFloat - std::fabs(rangeAngle)) * 0.5f;
}

void GuiKnob::setSweepStart(float angle) {
    startAngle = angle;
    computeCoefficients();
    setDirty(true);
}

float GuiKnob::getSweepStart() const { return startAngle; }

void GuiKnob::setSweepAngle(float angle) {
    rangeAngle = angle;
    computeCoefficients();
    setDirty(true);
}

float GuiKnob::getSweepAngle() const { return rangeAngle; }

void GuiKnob::pointForValue(GuiPoint& point) const {
    const float angle = (value - bCoef) / aCoef;
    const float reach = radius - inset;
    point.h = static_cast<VstInt32>(radius + std::cos(angle) * reach + 0.5f);
    point.v = static_cast<VstInt32>(radius - std::sin(angle) * reach + 0.5f);
}

float GuiKnob::valueForPoint(const GuiPoint& point) const {
    float alpha = static_cast<float>(std::atan2(radius - point.v, point.h - radius));
    if (alpha < 0.0f) alpha += kTwoPiFloat;
    alpha -= startAngle;

    // alpha is now measured from the end the result is anchored to: the minimum of a
    // counter-clockwise sweep, the maximum of a clockwise one. beta is the same angle folded
    // into one turn for the dead-zone test; the zone is split at its middle.
    const bool clockwise = rangeAngle < 0.0f;
    if (clockwise) alpha -= rangeAngle;
    float beta = alpha;
    if (alpha < 0.0f)
        beta = alpha + kTwoPiFloat;
    else if (alpha > kTwoPiDouble)
        beta = alpha - kTwoPiFloat;

    const float sweep = std::fabs(rangeAngle);
    const float limit = halfGap + sweep;
    const float anchorEnd = clockwise ? maximum : minimum;
    const float otherEnd = clockwise ? minimum : maximum;
    if (beta > limit) return anchorEnd;  // second half of the dead zone, next to the anchor
    if (beta > sweep) return otherEnd;   // first half, just past the other end

    if (alpha > limit)
        alpha -= kTwoPiFloat;
    else if (alpha < -halfGap)
        alpha += kTwoPiFloat;
    return anchorEnd + alpha * aCoef;
}

void GuiKnob::setHandleInset(VstInt32 newInset) { inset = newInset; }

void GuiKnob::setHandleShadowColor(GuiColor color) {
    handleShadowColor = color;
    setDirty(true);
}

void GuiKnob::setHandleColor(GuiColor color) {
    handleColor = color;
    setDirty(true);
}

// Without a new image the inset stays, so a knob can go back to drawn lines at the same reach.
void GuiKnob::setHandleImage(GuiBitmap* bitmap) {
    if (bitmap) bitmap->addReference();
    if (handleBitmap) handleBitmap->dropReference();
    handleBitmap = bitmap;
    if (bitmap) inset = insetForHandle(bitmap);
}

void GuiKnob::setFineFactor(float factor) { zoomFactor = factor; }

float GuiKnob::getFineFactor() const { return zoomFactor; }

void GuiKnob::draw(GuiDrawContext* context) {
    drawBackground(context, offset);
    drawHandle(context);
    setDirty(false);
}

void GuiKnob::drawHandle(GuiDrawContext* context) {
    GuiPoint point;
    pointForValue(point);
    if (handleBitmap) {
        const VstInt32 width = handleBitmap->getWidth();
        const VstInt32 height = handleBitmap->getHeight();
        const VstInt32 left = size.left + point.h - width / 2;
        const VstInt32 top = size.top + point.v - height / 2;
        handleBitmap->drawTransparent(context, GuiRect{left, top, left + width, top + height}, GuiPoint{0, 0});
        return;
    }
    // A two-pixel line from the rim to the centre: shadow first, then the light line above right.
    GuiPoint from{size.left - 1 + point.h, size.top + point.v};
    GuiPoint to{size.left + (size.right - size.left) / 2 - 1, size.top + (size.bottom - size.top) / 2};
    context->setFrameColor(handleShadowColor);
    context->moveTo(from);
    context->lineTo(to);
    from.h += 1;
    from.v -= 1;
    to.h += 1;
    to.v -= 1;
    context->setFrameColor(handleColor);
    context->moveTo(from);
    context->lineTo(to);
}

void GuiKnob::mouse(GuiDrawContext* context, GuiPoint& where) {
    VstInt32 buttons = pressButtons(context);
    if (!buttons) return;

    // Control+click alone: back to the default value, no drag.
    if (buttons == kControlClick) {
        value = defaultValue;
        if (isDirty()) reportChange(context);
        return;
    }

    const float range = maximum - minimum;
    const float halfRange = range * 0.5f;
    float entryValue = value;
    VstInt32 rememberedButtons = buttons;
    const VstInt32 mode = frame ? frame->knobMode() : 0;
    const bool linear = (mode == 2) != ((buttons & modifierAlt) != 0);

    auto linearCoefficient = [&](VstInt32 state) {
        return range / ((state & modifierShift) ? kLinearDragPixels * zoomFactor : kLinearDragPixels);
    };
    float coefficient = 0.0f;
    GuiPoint first = where;
    float startValue = 0.0f;
    if (linear) {
        coefficient = linearCoefficient(buttons);
    } else {
        startValue = valueForPoint(GuiPoint{where.h - size.left, where.v - size.top});
    }

    GuiPoint last{-1, -1};
    beginEdit();
    if (frame) frame->setFocusView(this);

    do {
        buttons = context->getMouseButtons();
        if (where.h != last.h || where.v != last.v) {
            last = where;
            if (linear) {
                // Right and up increase. A change of Shift re-anchors the entry value so that
                // the knob keeps its position and only the sensitivity changes.
                const VstInt32 delta = (where.h - first.h) + (first.v - where.v);
                if (buttons != rememberedButtons) {
                    const float newCoefficient = linearCoefficient(buttons);
                    entryValue = entryValue + (coefficient - newCoefficient) * delta;
                    coefficient = newCoefficient;
                    rememberedButtons = buttons;
                }
                value = delta * coefficient + entryValue;
                clampValue();
            } else {
                // A jump of more than half the range means the pointer crossed the dead zone:
                // hold the end it came from instead of jumping to the other one.
                const float pointValue = valueForPoint(GuiPoint{where.h - size.left, where.v - size.top});
                if (startValue - pointValue > halfRange) {
                    value = maximum;
                } else if (pointValue - startValue > halfRange) {
                    value = minimum;
                } else {
                    value = pointValue;
                    startValue = pointValue;
                }
            }
            if (isDirty()) reportChange(context);
        }
        context->getMouseLocation(where);
        idleDuringTracking();
    } while (buttons & buttonLeft);

    endEdit();
}

// Arrow keys step by the control's step, a tenth of it with Shift; the mouse flag does not
// matter because the key reached us through the focus or the frame's key routing.
VstInt32 GuiKnob::onKeyDown(VstKeyCode& key) {
    float direction;
    switch (key.virt) {
        case VKEY_LEFT:
        case VKEY_DOWN: direction = -1.0f; break;
        case VKEY_UP:
        case VKEY_RIGHT: direction = 1.0f; break;
        default: return -1;
    }
    const float scale = (key.modifier & MODIFIER_SHIFT) ? 0.1f : 1.0f;
    value += direction * step * scale;
    clampValue();
    if (isDirty()) reportChange(nullptr);
    return 1;
}
