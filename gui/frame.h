// GuiFrame: the root view that owns the editor's window, its child views, focus and event routing.
#pragma once

#include <memory>

#include "gui/views/gui_view.h"
#include "gui/platform/platform.h"

class GuiBitmap;
class GuiFrame;

// Accepts text and file-list drags over the frame's window and hands drops to the frame.
// Reference counted like the native drop-target objects it stands for: the registration holds
// the first reference and the revocation gives it back, which destroys it.
class GuiDropTarget {
public:
    enum Effect { effectNone = 0, effectCopy = 1, effectMove = 2 };

    explicit GuiDropTarget(GuiFrame* frame) : frame(frame) {}

    VstInt32 addReference() { return ++references; }
    // Destroys the object at 0 or below and then answers 0 without touching it again.
    VstInt32 release();

    // A drag enters: accepted when it offers text or a file list.
    Effect dragEnter(bool offersTextOrFiles, bool controlHeld);
    // Copy with Control held, move otherwise, none when the drag was refused at entry.
    Effect dragOver(bool controlHeld) const;
    void dragLeave() {}
    // Hands dropped data to the frame; see GuiFrame::onDrop for the arguments. True when a view
    // took it.
    bool drop(void** data, VstInt32 count, VstInt32 type, GuiPoint where);

private:
    ~GuiDropTarget() = default;

    VstInt32 references = 0;
    bool accepted = false;
    GuiFrame* frame;
};

// All of it runs on the user-interface thread. Coordinates are window pixels with the frame's
// own rectangle starting at (0, 0). The frame keeps no platform detail of its own: the window,
// its devices and the live input come through gui/platform/platform.h.
class GuiFrame : public GuiView {
public:
    // With a null parentWindow the frame has no window: it routes calls but never paints.
    GuiFrame(const GuiRect& size, void* parentWindow, AEffGUIEditor* editor);

    ~GuiFrame() override;
    void draw(GuiDrawContext* context) override;
    void drawRect(GuiDrawContext* context, const GuiRect& updateRect) override;
    void mouse(GuiDrawContext* context, GuiPoint& where) override;
    void update(GuiDrawContext* context) override;
    void notify(GuiView* sender, const char* message) override;
    VstInt32 onKeyDown(VstKeyCode& key) override;
    VstInt32 onKeyUp(VstKeyCode& key) override;
    // Drops are offered to enabled children under where, last added first. A drop without data
    // or with a negative count is refused, and nothing is offered while a view holds the focus.
    bool onDrop(GuiDrawContext* context, void** data, VstInt32 count, VstInt32 type, GuiPoint& where) override;
    AEffGUIEditor* getEditor() const override;

    // The frame takes over the reference the creator holds; it does not add one.
    virtual bool addView(GuiView* view);
    virtual bool removeView(GuiView* view, const bool& dropReferences);
    virtual bool removeAll(const bool& dropReferences);
    virtual bool isChild(GuiView* view) const;
    virtual VstInt32 getViewCount() const;
    virtual GuiView* getView(VstInt32 index) const;

    // Redraws the dirty views; nothing before the window has been painted once.
    void idle();
    bool hasDirtyViews() const;
    // The frame holds one reference on its background.
    void setBackground(GuiBitmap* bitmap);
    GuiBitmap* getBackground() const { return background; }

    void setFocusView(GuiView* view);
    GuiView* getFocusView() const { return focusView; }
    // The pointer relative to the window's top-left, read now. Always true.
    bool currentMousePosition(GuiPoint& where) const;
    // The window a modal picture of the editor should belong to, or null without a window.
    void* findOuterWindow() const;
    // Accepts drops on the window (on) or stops accepting them; false without a window.
    bool setDropEnabled(bool on);

    // Services for views; each does nothing (or answers 0) without an editor.
    void idleDuringTracking();
    void beginEdit(VstInt32 tag);
    void endEdit(VstInt32 tag);
    VstInt32 knobMode() const;
    uint32_t tickCount() const;

    // Asks the window to repaint area (edges included) at the next serve of repaints.
    void invalidate(const GuiRect& area);

    gui_platform::Window* getWindow() const { return window.get(); }
    void* getParentWindow() const { return parentWindow; }
    bool isOpen() const { return open; }
    bool isFirstDrawPending() const { return firstDrawPending; }

private:
    VstInt32 routeKey(VstKeyCode& key, VstInt32 (GuiView::*handler)(VstKeyCode&));

    // Turns the window's notifications into frame calls.
    class WindowEvents : public gui_platform::WindowListener {
    public:
        explicit WindowEvents(GuiFrame& frame) : frame(frame) {}
        void onPaint(gui_platform::Device& device, const GuiRect& area) override;
        void onButtonPress(gui_platform::Device& device, GuiPoint where) override;
        void onDrop(void* data, int32_t count, int32_t type, GuiPoint where) override;
        void onWindowDestroyed() override;

    private:
        GuiFrame& frame;
    };

    // Ends a text edit in progress: the focus view is told while it still holds the focus.
    void endFocus();

    AEffGUIEditor* editor;
    void* parentWindow;
    GuiBitmap* background = nullptr;
    VstInt32 viewCount = 0;
    VstInt32 viewCapacity = 0;
    GuiView** views = nullptr;
    GuiView* focusView = nullptr;
    bool firstDrawPending = true;
    bool open = true;
    bool dropActive = false;
    GuiDropTarget* dropTarget = nullptr;
    WindowEvents windowEvents;
    std::unique_ptr<gui_platform::Window> window;
};
