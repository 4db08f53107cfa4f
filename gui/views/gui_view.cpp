// GuiView: the behaviour every view shares unless it replaces it.
#include "gui/views/gui_view.h"

#include "gui/frame.h"

GuiView::GuiView(const GuiRect& size) : size(size), mouseArea(size) {}

GuiView::~GuiView() {}

void GuiView::draw(GuiDrawContext* /*context*/) {}

void GuiView::drawRect(GuiDrawContext* context, const GuiRect& /*updateRect*/) { draw(context); }

// Edges count as touching: a rectangle whose right edge lies on our left edge meets us.
bool GuiView::intersects(const GuiRect& rect) const {
    return !(rect.right < size.left || rect.left > size.right || rect.bottom < size.top || rect.top > size.bottom);
}

void GuiView::mouse(GuiDrawContext* /*context*/, GuiPoint& /*where*/) {}

void GuiView::update(GuiDrawContext* context) {
    if (isDirty()) {
        draw(context);
        setDirty(false);
    }
}

void GuiView::notify(GuiView* /*sender*/, const char* /*message*/) {}

VstInt32 GuiView::onKeyDown(VstKeyCode& /*key*/) { return -1; }

VstInt32 GuiView::onKeyUp(VstKeyCode& /*key*/) { return -1; }

bool GuiView::onDrop(GuiDrawContext* /*context*/, void** /*data*/, VstInt32 /*count*/, VstInt32 /*type*/,
                     GuiPoint& /*where*/) {
    return false;
}

bool GuiView::onWheel(GuiDrawContext* /*context*/, const GuiPoint& /*where*/, float /*distance*/) { return false; }

void GuiView::onFocusLost(GuiDrawContext* /*context*/) {}

void GuiView::onFocusTaken(GuiDrawContext* /*context*/) {}

bool GuiView::isDirty() const { return dirty; }

void GuiView::setDirty(bool state) { dirty = state; }

void GuiView::setMouseEnabled(bool enabled) { mouseEnabled = enabled; }

bool GuiView::getMouseEnabled() const { return mouseEnabled; }

void GuiView::setMouseArea(const GuiRect& rect) { mouseArea = rect; }

void GuiView::getMouseArea(GuiRect& rect) const { rect = mouseArea; }

// All four edges count as inside.
bool GuiView::hitTest(const GuiPoint& where) const { return size.contains(where); }

void GuiView::setTransparency(bool state) { transparent = state; }

bool GuiView::getTransparency() const { return transparent; }

// The mouseable area stays where it was: only the drawing rectangle moves.
void GuiView::setBounds(const GuiRect& rect) {
    size = rect;
    setDirty(true);
}

void GuiView::setParentFrame(GuiFrame* newFrame) { frame = newFrame; }

void GuiView::setParentView(GuiView* view) { parentView = view; }

AEffGUIEditor* GuiView::getEditor() const { return frame ? frame->getEditor() : nullptr; }

bool GuiView::onRemoved(GuiView* /*parent*/) { return true; }

bool GuiView::onAttached(GuiView* /*parent*/) { return true; }

// A count already at 0 means the view is being torn down elsewhere: leave it alone.
void GuiView::dropReference() {
    if (references <= 0) return;
    if (--references == 0) delete this;
}

void GuiView::addReference() { ++references; }

VstInt32 GuiView::referenceCount() const { return references; }
