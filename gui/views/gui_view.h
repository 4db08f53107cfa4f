// GuiView: a rectangle of the editor window that draws itself and takes mouse, key and drop events.
#pragma once

#include "gui/gui_types.h"
#include "vst2/vst2_abi.h"

class AEffGUIEditor;
class GuiControl;
class GuiDrawContext;
class GuiFrame;

// Receives the value changes of controls. The editor is the one listener of this system.
class GuiControlListener {
public:
    virtual ~GuiControlListener() {}
    // context is the draw context of the mouse event that caused the change, or null (keys, edits).
    virtual void valueChanged(GuiDrawContext* context, GuiControl* control) = 0;
};

// Views are shared by reference counting: a new view holds one reference, which the frame
// takes over when the view is added. The virtual operations keep one fixed order, which the
// frame and every control extend; new operations go at the end of a class, never between.
// Every operation runs on the user-interface thread.
class GuiView {
public:
    explicit GuiView(const GuiRect& size);

    virtual ~GuiView();
    virtual void draw(GuiDrawContext* context);
    virtual void drawRect(GuiDrawContext* context, const GuiRect& updateRect);
    virtual bool intersects(const GuiRect& rect) const;
    virtual void mouse(GuiDrawContext* context, GuiPoint& where);
    virtual void update(GuiDrawContext* context);
    virtual void notify(GuiView* sender, const char* message);
    virtual VstInt32 onKeyDown(VstKeyCode& key);
    virtual VstInt32 onKeyUp(VstKeyCode& key);
    // data holds count entries: text blocks (type 1) or file names (type 0).
    virtual bool onDrop(GuiDrawContext* context, void** data, VstInt32 count, VstInt32 type, GuiPoint& where);
    virtual bool onWheel(GuiDrawContext* context, const GuiPoint& where, float distance);
    virtual void onFocusLost(GuiDrawContext* context);
    virtual void onFocusTaken(GuiDrawContext* context);
    virtual bool isDirty() const;
    virtual void setDirty(bool state);
    virtual void setMouseEnabled(bool enabled);
    virtual bool getMouseEnabled() const;
    virtual void setMouseArea(const GuiRect& rect);
    virtual void getMouseArea(GuiRect& rect) const;
    virtual bool hitTest(const GuiPoint& where) const;
    virtual void setTransparency(bool state);
    virtual bool getTransparency() const;
    virtual void setBounds(const GuiRect& rect);
    virtual void setParentFrame(GuiFrame* frame);
    virtual void setParentView(GuiView* view);
    virtual AEffGUIEditor* getEditor() const;
    virtual bool onRemoved(GuiView* parent);
    virtual bool onAttached(GuiView* parent);
    virtual void dropReference();
    virtual void addReference();
    virtual VstInt32 referenceCount() const;

    const GuiRect& getBounds() const { return size; }
    GuiFrame* getFrame() const { return frame; }
    GuiView* getParentView() const { return parentView; }

protected:
    VstInt32 references = 1;
    GuiRect size;
    GuiRect mouseArea;
    GuiFrame* frame = nullptr;
    GuiView* parentView = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparent = false;
};
