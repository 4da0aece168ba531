#include "ui/win32/drop_target.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <map>

namespace tavik::ui {
namespace {

// IUnknown for an object of one interface, created with one reference.
template <class Interface>
class ComObject : public Interface {
 public:
  virtual ~ComObject() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == __uuidof(Interface)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG r = --refs_;
    if (r == 0) delete this;
    return r;
  }

 private:
  ULONG refs_ = 1;
};

class DropTarget final : public ComObject<IDropTarget> {
 public:
  DropTarget(Form& form, Control& target) : form_(form), target_(target) {}
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC fmt{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    accept_ = target_.enabled && !form_.inputBlocked && data->QueryGetData(&fmt) == S_OK;
    *effect = accept_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = accept_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_NONE;
    FORMATETC fmt{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!accept_ || data->GetData(&fmt, &medium) != S_OK) return S_OK;
    std::vector<std::string> paths = DroppedPaths(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    *effect = DROPEFFECT_COPY;
    form_.UserDrop(target_, paths);
    return S_OK;
  }

 private:
  Form& form_;
  Control& target_;
  bool accept_ = false;
};

// The smallest data object that carries one CF_HDROP block.
class HDropData final : public ComObject<IDataObject> {
 public:
  explicit HDropData(HGLOBAL drop) : drop_(drop) {}
  ~HDropData() override { GlobalFree(drop_); }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fmt, STGMEDIUM* medium) override {
    if (QueryGetData(fmt) != S_OK) return DV_E_FORMATETC;
    SIZE_T size = GlobalSize(drop_);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(copy), GlobalLock(drop_), size);
    GlobalUnlock(copy);
    GlobalUnlock(drop_);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fmt) override {
    return fmt->cfFormat == CF_HDROP && (fmt->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  HGLOBAL drop_;
};

std::map<HWND, DropTarget*>& Targets() {
  static std::map<HWND, DropTarget*> targets;
  return targets;
}

}  // namespace

void RegisterDropTarget(HWND hwnd, Form& form, Control& target) {
  auto* t = new DropTarget(form, target);
  if (RegisterDragDrop(hwnd, t) == S_OK) Targets()[hwnd] = t;
  t->Release();  // RegisterDragDrop holds its own reference
}

std::vector<std::string> DroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    UINT len = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring p(len + 1, L'\0');
    DragQueryFileW(drop, i, p.data(), len + 1);
    p.resize(len);
    paths.push_back(tavik::win::Narrow(p));
  }
  return paths;
}

HGLOBAL MakeHDrop(const std::vector<std::string>& paths) {
  std::wstring all;
  for (const auto& p : paths) {
    all += tavik::win::Wide(p);
    all += L'\0';
  }
  all += L'\0';
  size_t size = sizeof(DROPFILES) + all.size() * sizeof(wchar_t);
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* df = static_cast<DROPFILES*>(GlobalLock(g));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), all.data(), all.size() * sizeof(wchar_t));
  GlobalUnlock(g);
  return g;
}

bool SimulateDrop(HWND hwnd, const std::vector<std::string>& paths) {
  auto it = Targets().find(hwnd);
  if (it == Targets().end()) return false;
  IDropTarget* target = it->second;
  auto* data = new HDropData(MakeHDrop(paths));
  DWORD effect = DROPEFFECT_COPY;
  POINTL pt{0, 0};
  target->DragEnter(data, MK_LBUTTON, pt, &effect);
  effect = DROPEFFECT_COPY;
  target->Drop(data, MK_LBUTTON, pt, &effect);
  data->Release();
  return true;
}

}  // namespace tavik::ui
