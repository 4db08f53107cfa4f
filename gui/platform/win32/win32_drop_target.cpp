// Drops of text (CF_TEXT) and of file lists (CF_HDROP) onto the editor's window.
#include "gui/platform/win32/win32_drop_target.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "gui/platform/win32/win32_window.h"

namespace gui_platform {
namespace win32 {

namespace {

// The interface and class identifiers, spelled out so that no import library is needed.
const IID kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kDropTargetId = {0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistFileId = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkId = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

constexpr size_t kNameCapacity = 1024;

FORMATETC formatOf(CLIPFORMAT format) {
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = formatOf(format);
    return data && data->QueryGetData(&wanted) == S_OK;
}

DWORD effectFor(bool accepted, DWORD keys) {
    if (!accepted) return DROPEFFECT_NONE;
    return (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

POINT cursorNow() {
    POINT p = {};
    GetCursorPos(&p);
    return p;
}

}  // namespace

HRESULT Win32DropTarget::QueryInterface(REFIID id, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(id, kUnknownId) || IsEqualIID(id, kDropTargetId)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Win32DropTarget::AddRef() { return ULONG(++references); }

ULONG Win32DropTarget::Release() {
    const LONG left = --references;
    if (left <= 0) {
        delete this;
        return 0;
    }
    return ULONG(left);
}

HRESULT Win32DropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL /*where*/, DWORD* effect) {
    accepted = offers(data, CF_TEXT) || offers(data, CF_HDROP);
    if (effect) *effect = effectFor(accepted, keys);
    return S_OK;
}

HRESULT Win32DropTarget::DragOver(DWORD keys, POINTL /*where*/, DWORD* effect) {
    if (effect) *effect = effectFor(accepted, keys);
    return S_OK;
}

HRESULT Win32DropTarget::DragLeave() { return S_OK; }

// The position views see is the live mouse position, like every other position they read.
HRESULT Win32DropTarget::Drop(IDataObject* data, DWORD /*keys*/, POINTL /*where*/, DWORD* /*effect*/) {
    if (data && window) {
        const POINT where = cursorNow();
        if (!dropText(data, where)) dropFiles(data, where);
    }
    DragLeave();
    return S_OK;
}

bool Win32DropTarget::dropText(IDataObject* data, POINT where) {
    FORMATETC wanted = formatOf(CF_TEXT);
    STGMEDIUM medium = {};
    if (data->GetData(&wanted, &medium) != S_OK) return false;
    bool delivered = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        const SIZE_T size = GlobalSize(medium.hGlobal);
        char* text = static_cast<char*>(GlobalLock(medium.hGlobal));
        if (text && size > 0) {
            // The block need not end in a zero: views get a terminated copy.
            std::vector<char> copy(text, text + size);
            copy.push_back('\0');
            char* entries[1] = {copy.data()};
            window->deliverDrop(entries, int32_t(size), 1, where);
            delivered = true;
        }
        if (text) GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return delivered;
}

bool Win32DropTarget::dropFiles(IDataObject* data, POINT where) {
    FORMATETC wanted = formatOf(CF_HDROP);
    STGMEDIUM medium = {};
    if (data->GetData(&wanted, &medium) != S_OK) return false;
    bool delivered = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        HDROP drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        std::vector<std::vector<char>> names;
        for (UINT i = 0; i < count; ++i) {
            std::vector<char> name(kNameCapacity, '\0');
            if (DragQueryFileA(drop, i, name.data(), UINT(kNameCapacity)) == 0) continue;
            resolveShortcut(name.data(), kNameCapacity);
            names.push_back(std::move(name));
        }
        if (!names.empty()) {
            std::vector<char*> entries;
            for (auto& name : names) entries.push_back(name.data());
            window->deliverDrop(entries.data(), int32_t(entries.size()), 0, where);
            delivered = true;
        }
    }
    ReleaseStgMedium(&medium);
    return delivered;
}

void resolveShortcut(char* buffer, size_t capacity) {
    const char* dot = std::strrchr(buffer, '.');
    if (!dot || lstrcmpiA(dot, ".lnk") != 0) return;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkId,
                                reinterpret_cast<void**>(&link)))) {
        return;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kPersistFileId, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[kNameCapacity];
        if (MultiByteToWideChar(CP_ACP, 0, buffer, -1, wide, int(kNameCapacity)) > 0 &&
            SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(link->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH | (500u << 16)))) {
            char target[kNameCapacity] = "";
            if (SUCCEEDED(link->GetPath(target, int(kNameCapacity), nullptr, SLGP_SHORTPATH)) && target[0])
                lstrcpynA(buffer, target, int(capacity));
        }
        file->Release();
    }
    link->Release();
}

}  // namespace win32
}  // namespace gui_platform
