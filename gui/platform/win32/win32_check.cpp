// zelvik-win32-check: the Windows back end's window, edit field and drop target driven in
// this process through the platform interface, as the toolkit uses them. Prints one
// "ok NAME" or "FAIL NAME: why" line per check; the tests run it under Wine.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui/platform/platform.h"
#include "gui/platform/win32/win32_module.h"
#include "gui/platform/win32/win32_window.h"

namespace {

int failures = 0;

void check(bool good, const char* name, const std::string& why = "") {
    if (good) std::printf("ok %s\n", name);
    else std::printf("FAIL %s: %s\n", name, why.c_str());
    failures += good ? 0 : 1;
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

struct RecordingListener : gui_platform::WindowListener {
    int paints = 0;
    std::vector<std::string> dropped;
    int dropType = -1;
    int dropCount = -1;
    void onPaint(gui_platform::Device&, const GuiRect&) override { ++paints; }
    void onButtonPress(gui_platform::Device&, GuiPoint) override {}
    void onDrop(void* data, int32_t count, int32_t type, GuiPoint) override {
        dropType = type;
        dropCount = count;
        char** entries = static_cast<char**>(data);
        const int32_t names = type == 1 ? 1 : count;
        for (int32_t i = 0; i < names; ++i) dropped.push_back(entries[i]);
    }
    void onWindowDestroyed() override {}
};

// Ends the edit the way the text view does: reads the text and destroys the field inside
// the notification.
struct EndingEditListener : gui_platform::EditListener {
    std::unique_ptr<gui_platform::EditField>* field = nullptr;
    std::string text;
    int returns = 0;
    int focusLosses = 0;
    void end() {
        if (!field || !*field) return;
        char buffer[256];
        (*field)->getText(buffer, sizeof buffer);
        text = buffer;
        field->reset();
    }
    void onEditFocusLost() override {
        ++focusLosses;
        end();
    }
    void onEditReturn() override {
        ++returns;
        end();
    }
};

// A data object offering one format in global memory, as the desktop offers dragged text or
// files.
class DataObject : public IDataObject {
public:
    DataObject(CLIPFORMAT format, std::vector<char> bytes) : format(format), bytes(std::move(bytes)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }  // lives on the stack
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
        return wanted && wanted->cfFormat == format && (wanted->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ULONG references = 1;
    CLIPFORMAT format;
    std::vector<char> bytes;
};

// Lets the drag run a few rounds (so OLE finds the target under the pointer), then drops.
class DropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        return ++rounds < 4 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int rounds = 0;
};

std::vector<char> fileList(const std::vector<std::string>& names) {
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    std::vector<char> bytes(reinterpret_cast<const char*>(&header), reinterpret_cast<const char*>(&header) + sizeof header);
    for (const std::string& name : names) bytes.insert(bytes.end(), name.c_str(), name.c_str() + name.size() + 1);
    bytes.push_back('\0');
    return bytes;
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "ZelvikCheckHost";
    RegisterClassA(&hostClass);
    HWND host = CreateWindowExA(0, "ZelvikCheckHost", "check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 400, 300,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    RecordingListener listener;
    std::unique_ptr<gui_platform::Window> window = gui_platform::createWindow(host, 300, 200, &listener);
    check(window != nullptr, "window");
    if (!window) return 1;
    HWND frame = static_cast<HWND>(window->nativeHandle());

    char expectedClass[32], className[64] = "";
    std::snprintf(expectedClass, sizeof expectedClass, "Plugin%08x",
                  unsigned(reinterpret_cast<uintptr_t>(gui_platform::win32::moduleInstance())));
    GetClassNameA(frame, className, sizeof className);
    check(std::strcmp(className, expectedClass) == 0, "class name", className);
    char title[32] = "";
    GetWindowTextA(frame, title, sizeof title);
    check(std::strcmp(title, "Window") == 0, "window title", title);
    UpdateWindow(host);
    pump();
    check(listener.paints > 0, "paint");

    // An edit field: text selected, focus, colours from the frame's colour request, Return and
    // focus loss ending it from inside the notification.
    {
        std::unique_ptr<gui_platform::EditField> field;
        EndingEditListener editListener;
        editListener.field = &field;
        gui_platform::EditFieldSetup setup;
        setup.box = GuiRect{10, 10, 110, 26};
        setup.text = "abc";
        setup.font.id = fontSmaller;
        setup.font.size = 10;
        setup.font.bold = false;
        setup.textColor = colorCyan;
        setup.backColor = GuiColor{20, 30, 40, 0};
        setup.align = alignCenter;
        field = window->createEditField(setup, &editListener);
        check(field != nullptr, "edit field");
        HWND edit = FindWindowExA(frame, nullptr, "Edit", nullptr);
        check(edit != nullptr && GetFocus() == edit, "edit has the focus");
        RECT box = {};
        GetWindowRect(edit, &box);
        check(box.right - box.left == 101 && box.bottom - box.top == 17, "edit size includes both edges");
        check((GetWindowLongA(edit, GWL_STYLE) & ES_CENTER) != 0, "edit centred");
        DWORD from = 1, to = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        check(from == 0 && to == 3, "edit text selected");
        HDC dc = GetDC(edit);
        const LRESULT brush = SendMessageA(frame, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
        check(brush != 0 && GetTextColor(dc) == RGB(0, 255, 255) && GetBkColor(dc) == RGB(20, 30, 40), "edit colours");
        ReleaseDC(edit, dc);
        SendMessageA(edit, WM_CHAR, 'x', 0);
        SendMessageA(edit, WM_CHAR, 'y', 0);
        SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        check(editListener.returns == 1 && !field && !IsWindow(edit), "return ends the edit");
        check(editListener.text == "xy", "typed text replaces the selection", editListener.text);

        field = window->createEditField(setup, &editListener);
        edit = FindWindowExA(frame, nullptr, "Edit", nullptr);
        SetFocus(host);
        check(editListener.focusLosses == 1 && !field && !IsWindow(edit), "focus loss ends the edit");
    }

    // Drops: text, then a file list with a shortcut that cannot be resolved (kept as given).
    RECT frameRect = {};
    GetWindowRect(frame, &frameRect);
    SetCursorPos((frameRect.left + frameRect.right) / 2, (frameRect.top + frameRect.bottom) / 2);
    pump();
    {
        const char text[] = "dropped text";
        DataObject data(CF_TEXT, std::vector<char>(text, text + sizeof text));
        DropSource source;
        DWORD effect = 0;
        DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        check(listener.dropType == 1 && listener.dropCount == int(sizeof text) && listener.dropped.size() == 1 &&
                  listener.dropped[0] == text,
              "text drop", listener.dropped.empty() ? "nothing" : listener.dropped[0]);
    }
    listener.dropped.clear();
    {
        const std::vector<std::string> names = {"C:\\skin\\panel.bmp", "C:\\missing\\link.lnk"};
        DataObject data(CF_HDROP, fileList(names));
        DropSource source;
        DWORD effect = 0;
        DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        check(listener.dropType == 0 && listener.dropCount == 2 && listener.dropped == names, "file drop",
              std::to_string(listener.dropped.size()) + " names");
    }

    // This program carries no dialog resources: the help picture cannot be shown, and says so
    // with the system's code rather than 0 (which the editor would take for success).
    const uint32_t pictureError = gui_platform::showModalPicture(114, window.get());
    check(pictureError != 0, "missing help dialog reports an error", std::to_string(pictureError));
    std::printf("help picture error %x\n", unsigned(pictureError));

    window.reset();
    WNDCLASSA info;
    check(!GetClassInfoA(gui_platform::win32::moduleInstance(), expectedClass, &info), "class unregistered");
    DestroyWindow(host);
    OleUninitialize();
    std::printf("failures %d\n", failures);
    return failures ? 1 : 0;
}
