// GuiFrame: child list, drawing and dirty redraws, mouse/key/drop routing, focus and view services.
#include "gui/frame.h"

#include <new>

#include "gui/aeff_gui_editor.h"
#include "gui/bitmap.h"
#include "gui/draw_context.h"

namespace {
constexpr VstInt32 kViewCapacityStep = 10;
}  // namespace

// ---- GuiDropTarget ----

VstInt32 GuiDropTarget::release() {
    if (--references <= 0) {
        delete this;
        return 0;
    }
    return references;
}

GuiDropTarget::Effect GuiDropTarget::dragEnter(bool offersTextOrFiles, bool controlHeld) {
    accepted = offersTextOrFiles;
    return dragOver(controlHeld);
}

GuiDropTarget::Effect GuiDropTarget::dragOver(bool controlHeld) const {
    if (!accepted) return effectNone;
    return controlHeld ? effectCopy : effectMove;
}

// Whatever arrives from the platform is checked before a view sees it: no entries, a negative
// count or a missing first entry deliver nothing.
bool GuiDropTarget::drop(void** data, VstInt32 count, VstInt32 type, GuiPoint where) {
    bool taken = false;
    if (frame && data && count > 0 && data[0]) taken = frame->onDrop(nullptr, data, count, type, where);
    dragLeave();
    return taken;
}

// ---- window notifications ----

void GuiFrame::WindowEvents::onPaint(gui_platform::Device& device, const GuiRect& area) {
    GuiDrawContext context(&frame, &device, frame.window.get());
    frame.drawRect(&context, area);
}

// Which button went down is read later by the view from the live state.
void GuiFrame::WindowEvents::onButtonPress(gui_platform::Device& device, GuiPoint where) {
    GuiDrawContext context(&frame, &device, frame.window.get());
    frame.mouse(&context, where);
}

// The drop lands where the mouse is now, as every other position the views see is read
// live; the point the notification carries is not used.
void GuiFrame::WindowEvents::onDrop(void* data, int32_t count, int32_t type, GuiPoint /*notified*/) {
    if (!frame.dropActive || !frame.dropTarget) return;
    GuiPoint where;
    frame.currentMousePosition(where);
    frame.dropTarget->drop(static_cast<void**>(data), count, type, where);
}

// The host tore its window down before closing the editor: stop drawing into it.
void GuiFrame::WindowEvents::onWindowDestroyed() {
    frame.open = false;
    frame.parentWindow = nullptr;
}

// ---- construction ----

GuiFrame::GuiFrame(const GuiRect& size, void* parentWindow, AEffGUIEditor* editor)
    : GuiView(size), editor(editor), parentWindow(parentWindow), windowEvents(*this) {
    if (!parentWindow) return;
    window = gui_platform::createWindow(parentWindow, size.right - size.left, size.bottom - size.top, &windowEvents);
    if (window) setDropEnabled(true);
}

GuiFrame::~GuiFrame() {
    setDropEnabled(false);
    removeAll(true);
    if (background) background->dropReference();
    background = nullptr;
    if (window) {
        window->setListener(nullptr);  // late notifications must not reach a half-destroyed frame
        window.reset();
    }
}

// ---- drawing ----

void GuiFrame::draw(GuiDrawContext* context) {
    firstDrawPending = false;
    if (background) {
        background->draw(context, GuiRect{0, 0, background->getWidth(), background->getHeight()}, GuiPoint{0, 0});
    }
    for (VstInt32 i = 0; i < viewCount; ++i) views[i]->draw(context);
}

// A paint draws the background under the area and only the children that meet it.
void GuiFrame::drawRect(GuiDrawContext* context, const GuiRect& updateRect) {
    firstDrawPending = false;
    if (background) background->draw(context, updateRect, GuiPoint{updateRect.left, updateRect.top});
    for (VstInt32 i = 0; i < viewCount; ++i) {
        if (views[i]->intersects(updateRect)) views[i]->drawRect(context, updateRect);
    }
}

void GuiFrame::update(GuiDrawContext* context) {
    if (!open) return;
    if (isDirty()) {
        draw(context);
        setDirty(false);
        return;
    }
    for (VstInt32 i = 0; i < viewCount; ++i) views[i]->update(context);
}

bool GuiFrame::hasDirtyViews() const {
    if (isDirty()) return true;
    for (VstInt32 i = 0; i < viewCount; ++i) {
        if (views[i]->isDirty()) return true;
    }
    return false;
}

// Until the window has been painted once its pixels are the host's, so there is nothing to
// update incrementally.
void GuiFrame::idle() {
    // Events first: the first paint and the presses may be waiting in the system's queue.
    if (open && window) window->serveEvents();
    if (!open || !window || firstDrawPending || !hasDirtyViews()) return;
    std::unique_ptr<gui_platform::Device> device = window->openDevice();
    if (!device) return;
    GuiDrawContext context(this, device.get(), window.get());
    update(&context);
}

void GuiFrame::setBackground(GuiBitmap* bitmap) {
    if (bitmap) bitmap->addReference();  // before the release, in case it is the same bitmap
    if (background) background->dropReference();
    background = bitmap;
}

void GuiFrame::invalidate(const GuiRect& area) {
    if (window && open) window->invalidate(GuiRect{area.left, area.top, area.right + 1, area.bottom + 1});
}

// ---- events ----

void GuiFrame::endFocus() {
    if (!focusView) return;
    focusView->onFocusLost(nullptr);
    focusView = nullptr;
}

// Any press ends a text edit first, also a press on the edited field itself. Children are
// tried topmost (last added) first.
void GuiFrame::mouse(GuiDrawContext* context, GuiPoint& where) {
    endFocus();
    for (VstInt32 i = viewCount - 1; i >= 0; --i) {
        GuiView* view = views[i];
        if (view->getMouseEnabled() && view->hitTest(where)) {
            view->mouse(context, where);
            return;
        }
    }
}

void GuiFrame::notify(GuiView* /*sender*/, const char* /*message*/) {}

// Keys go to the focus view first, then to every child from the last added backwards,
// until one uses the key.
VstInt32 GuiFrame::routeKey(VstKeyCode& key, VstInt32 (GuiView::*handler)(VstKeyCode&)) {
    if (focusView) {
        const VstInt32 result = (focusView->*handler)(key);
        if (result != -1) return result;
    }
    for (VstInt32 i = viewCount - 1; i >= 0; --i) {
        const VstInt32 result = (views[i]->*handler)(key);
        if (result != -1) return result;
    }
    return -1;
}

VstInt32 GuiFrame::onKeyDown(VstKeyCode& key) { return routeKey(key, &GuiView::onKeyDown); }

VstInt32 GuiFrame::onKeyUp(VstKeyCode& key) { return routeKey(key, &GuiView::onKeyUp); }

bool GuiFrame::onDrop(GuiDrawContext* context, void** data, VstInt32 count, VstInt32 type, GuiPoint& where) {
    if (!data || count < 0 || focusView) return false;
    for (VstInt32 i = viewCount - 1; i >= 0; --i) {
        GuiView* view = views[i];
        if (view->getMouseEnabled() && view->getBounds().contains(where) &&
            view->onDrop(context, data, count, type, where)) {
            return true;
        }
    }
    return false;
}

AEffGUIEditor* GuiFrame::getEditor() const { return editor; }

// ---- child list ----

bool GuiFrame::addView(GuiView* view) {
    if (!view) return false;
    if (viewCount == viewCapacity) {
        const VstInt32 newCapacity = viewCapacity + kViewCapacityStep;
        GuiView** grown = new (std::nothrow) GuiView*[newCapacity];
        if (!grown) return false;
        for (VstInt32 i = 0; i < viewCount; ++i) grown[i] = views[i];
        delete[] views;
        views = grown;
        viewCapacity = newCapacity;
    }
    views[viewCount++] = view;
    view->setParentFrame(this);
    view->onAttached(this);
    return true;
}

// A removed focus view gives up the focus first, so the frame never keeps a pointer to a view
// it no longer holds (and that dropReference may just have destroyed).
bool GuiFrame::removeView(GuiView* view, const bool& dropReferences) {
    for (VstInt32 i = 0; i < viewCount; ++i) {
        if (views[i] != view) continue;
        if (focusView == view) endFocus();
        for (VstInt32 j = i + 1; j < viewCount; ++j) views[j - 1] = views[j];
        views[--viewCount] = nullptr;
        view->onRemoved(this);
        view->setParentFrame(nullptr);
        if (dropReferences) view->dropReference();
        return true;
    }
    return false;
}

bool GuiFrame::removeAll(const bool& dropReferences) {
    endFocus();
    for (VstInt32 i = 0; i < viewCount; ++i) {
        GuiView* view = views[i];
        views[i] = nullptr;
        view->onRemoved(this);
        view->setParentFrame(nullptr);
        if (dropReferences) view->dropReference();
    }
    delete[] views;
    views = nullptr;
    viewCount = 0;
    viewCapacity = 0;
    return true;
}

bool GuiFrame::isChild(GuiView* view) const {
    for (VstInt32 i = 0; i < viewCount; ++i) {
        if (views[i] == view) return true;
    }
    return false;
}

VstInt32 GuiFrame::getViewCount() const { return viewCount; }

GuiView* GuiFrame::getView(VstInt32 index) const {
    return (index >= 0 && index < viewCount) ? views[index] : nullptr;
}

// ---- services ----

// The new focus is stored before the old view hears about it, so a text view that is asked to
// end its edit here sees it no longer holds the focus and leaves its text alone.
void GuiFrame::setFocusView(GuiView* view) {
    GuiView* previous = focusView;
    focusView = view;
    if (previous) previous->onFocusLost(nullptr);
}

bool GuiFrame::currentMousePosition(GuiPoint& where) const {
    where = gui_platform::mouseScreenPosition();
    if (window) {
        const GuiPoint origin = window->screenOrigin();
        where.h -= origin.h;
        where.v -= origin.v;
    }
    return true;
}

void* GuiFrame::findOuterWindow() const { return window ? window->outerWindow() : nullptr; }

bool GuiFrame::setDropEnabled(bool on) {
    if (!on && !dropActive) return true;
    if (!window) return false;
    if (on && !dropActive) {
        dropTarget = new GuiDropTarget(this);
        dropTarget->addReference();
    } else if (!on) {
        dropTarget->release();
        dropTarget = nullptr;
    }
    dropActive = on;
    return true;
}

void GuiFrame::idleDuringTracking() {
    if (editor) editor->idleDuringTracking();
}

void GuiFrame::beginEdit(VstInt32 tag) {
    if (editor) editor->beginEdit(tag);
}

void GuiFrame::endEdit(VstInt32 tag) {
    if (editor) editor->endEdit(tag);
}

VstInt32 GuiFrame::knobMode() const { return AEffGUIEditor::knobMode(); }

uint32_t GuiFrame::tickCount() const { return editor ? editor->tickCount() : 0; }
