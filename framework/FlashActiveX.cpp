// The ActiveX Flash control in a minimal OLE container of our own: a host child window,
// a site object (client site, in-place site and frame) that activates the control in
// place inside the host, and the control's operations through IDispatch.
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>

#include "common/Error.h"
#include "framework/FlashControl.h"

namespace kv {
namespace {

// The control's class, and the registry key that says it is installed.
constexpr CLSID kControlClass = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr wchar_t kControlServerKey[] = L"CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32";

// Dispatch ids of the properties used by number.
constexpr DISPID kMovie = 102;
constexpr DISPID kBackgroundColor = 123;
constexpr DISPID kTotalFrames = 124;

constexpr wchar_t kHostClassName[] = L"KestrelviewMovieHost";

bool ControlRegistered() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kControlServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// kv::Error for a failed COM call: the control's own description when it gave one.
[[noreturn]] void Fail(const char* what, HRESULT hr, EXCEPINFO* info = nullptr) {
    std::string reason;
    if (info) {
        if (info->pfnDeferredFillIn) info->pfnDeferredFillIn(info);
        if (info->bstrDescription) reason = Narrow(info->bstrDescription);
        SysFreeString(info->bstrSource);
        SysFreeString(info->bstrDescription);
        SysFreeString(info->bstrHelpFile);
    }
    if (reason.empty()) reason = SystemErrorText(static_cast<DWORD>(hr));
    throw Error(Format("The Flash control failed to %s (0x%08lX): %s", what, static_cast<unsigned long>(hr),
                       reason.c_str()));
}

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) Fail(what, hr);
}

template <typename T>
void Release(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// A VARIANT released on every path.
struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    static void String(Variant& out, const std::wstring& s) {
        out.v.vt = VT_BSTR;
        out.v.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        if (!out.v.bstrVal) throw Error("Out of memory");
    }
};

// The container side of the control: one object serves as its client site, in-place
// site and in-place frame, all on the host window.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit Site(HWND host) : host_(host) {}

    void SetInPlaceObject(IOleInPlaceObject* object) { inPlace_ = object; }  // not owned

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
            *out = static_cast<IOleClientSite*>(this);
        } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
            *out = static_cast<IOleInPlaceSite*>(this);
        } else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) {
            *out = static_cast<IOleInPlaceFrame*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of both the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = host_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !document || !position || !clip || !info) return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        GetClientRect(host_, position);
        GetClientRect(host_, clip);
        info->cb = sizeof(OLEINPLACEFRAMEINFO);
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(host_, GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        inPlace_ = nullptr;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override {
        if (inPlace_ && rect) inPlace_->SetObjectRects(rect, rect);
        return S_OK;
    }

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~Site() = default;
    ULONG refs_ = 1;
    HWND host_;
    IOleInPlaceObject* inPlace_ = nullptr;
};

class ActiveXFlash final : public FlashControl {
public:
    ActiveXFlash(HWND parent, bool visible) {
        RegisterHostClass();
        RECT area{0, 0, 0, 0};
        if (visible && parent) GetClientRect(parent, &area);
        host_ = CreateWindowExW(0, kHostClassName, L"",
                                WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), 0, 0,
                                area.right, area.bottom, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!host_) throw Error("Cannot create the Flash control's window: " + SystemErrorText(GetLastError()));
        try {
            Start();
        } catch (...) {
            Shut();
            throw;
        }
        SetWindowLongPtrW(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~ActiveXFlash() override { Shut(); }

    HWND Handle() const override { return host_; }

    void SetMovie(const std::wstring& path) override {
        Variant value;
        Variant::String(value, path);
        Put(kMovie, value.v, "load a movie");
    }

    void SetBackgroundColor(int32_t color) override {
        VARIANT value;
        value.vt = VT_I4;
        value.lVal = color;
        Put(kBackgroundColor, value, "set its background colour");
    }

    int32_t TotalFrames() override {
        Variant result;
        Invoke(kTotalFrames, DISPATCH_PROPERTYGET, nullptr, 0, &result, "report its frame count");
        return AsInt(result, "report its frame count");
    }

    int32_t CurrentFrame() override {
        Variant result;
        Invoke(IdOf(L"CurrentFrame", currentFrameId_), DISPATCH_METHOD, nullptr, 0, &result,
               "report its current frame");
        return AsInt(result, "report its current frame");
    }

    void Play() override { Invoke(IdOf(L"Play", playId_), DISPATCH_METHOD, nullptr, 0, nullptr, "play"); }

    void SetVariable(const std::wstring& name, const std::wstring& value) override {
        Variant args[2];  // arguments go last first
        Variant::String(args[0], value);
        Variant::String(args[1], name);
        VARIANT raw[2] = {args[0].v, args[1].v};
        Invoke(IdOf(L"SetVariable", setVariableId_), DISPATCH_METHOD, raw, 2, nullptr, "set a movie variable");
    }

    bool BuiltIn() const override { return false; }

private:
    static void RegisterHostClass() {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = HostProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            wc.lpszClassName = kHostClassName;
            return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        }();
        if (!registered) throw Error("Cannot register the Flash control's window class");
    }

    static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ActiveXFlash*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) {
            switch (msg) {
                case WM_SIZE:
                    self->FitControl();
                    break;
                // The control's own window lies inside the host: mouse messages sent to the
                // host (the show's click at (0, 0)) go on to it.
                case WM_LBUTTONDOWN:
                case WM_LBUTTONUP:
                case WM_RBUTTONDOWN:
                case WM_RBUTTONUP:
                case WM_MOUSEMOVE:
                    if (HWND control = self->ControlWindow()) return SendMessageW(control, msg, wParam, lParam);
                    break;
                case WM_NCDESTROY:
                    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                    self->host_ = nullptr;
                    break;
                default:
                    break;
            }
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    void Start() {
        site_ = new Site(host_);
        Check(CoCreateInstance(kControlClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                               reinterpret_cast<void**>(&object_)),
              "start");
        Check(object_->SetClientSite(site_), "start");
        IPersistStreamInit* persist = nullptr;
        if (SUCCEEDED(object_->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
            const HRESULT hr = persist->InitNew();
            persist->Release();
            Check(hr, "start");
        }
        Check(object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)), "start");

        // The stored state the show expects; a control that lacks one of these still plays.
        static const struct {
            const wchar_t* name;
            const wchar_t* value;
        } kStored[] = {{L"WMode", L"Window"}, {L"Quality2", L"High"}, {L"Scale", L"ShowAll"},
                       {L"AllowScriptAccess", L"always"}};
        for (const auto& s : kStored) {
            DISPID id = DISPID_UNKNOWN;
            LPOLESTR name = const_cast<LPOLESTR>(s.name);
            if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) continue;
            Variant value;
            Variant::String(value, s.value);
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS params{&value.v, &named, 1, 1};
            dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                              nullptr);
        }

        RECT rc;
        GetClientRect(host_, &rc);
        Check(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, host_, &rc), "start");
        Check(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace_)), "start");
        site_->SetInPlaceObject(inPlace_);
        FitControl();
    }

    void Shut() {
        if (site_) site_->SetInPlaceObject(nullptr);
        if (inPlace_) inPlace_->InPlaceDeactivate();
        Release(inPlace_);
        Release(dispatch_);
        if (object_) {
            object_->Close(OLECLOSE_NOSAVE);
            object_->SetClientSite(nullptr);
        }
        Release(object_);
        Release(site_);
        if (host_) {
            SetWindowLongPtrW(host_, GWLP_USERDATA, 0);
            DestroyWindow(host_);
            host_ = nullptr;
        }
    }

    void FitControl() {
        if (!inPlace_ || !host_) return;
        RECT rc;
        GetClientRect(host_, &rc);
        inPlace_->SetObjectRects(&rc, &rc);
    }

    HWND ControlWindow() const {
        HWND window = nullptr;
        if (inPlace_ && SUCCEEDED(inPlace_->GetWindow(&window))) return window;
        return nullptr;
    }

    DISPID IdOf(const wchar_t* name, DISPID& cache) {
        if (cache != DISPID_UNKNOWN) return cache;
        if (!dispatch_) throw Error("The Flash control is not running");
        LPOLESTR names = const_cast<LPOLESTR>(name);
        Check(dispatch_->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &cache), "find an operation");
        return cache;
    }

    void Put(DISPID id, VARIANT& value, const char* what) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        Call(id, DISPATCH_PROPERTYPUT, params, nullptr, what);
    }

    void Invoke(DISPID id, WORD flags, VARIANT* args, UINT count, Variant* result, const char* what) {
        DISPPARAMS params{args, nullptr, count, 0};
        Call(id, flags, params, result ? &result->v : nullptr, what);
    }

    void Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result, const char* what) {
        if (!dispatch_) throw Error("The Flash control is not running");
        EXCEPINFO info{};
        UINT badArgument = 0;
        const HRESULT hr =
            dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &badArgument);
        if (FAILED(hr)) Fail(what, hr, hr == DISP_E_EXCEPTION ? &info : nullptr);
    }

    static int32_t AsInt(Variant& result, const char* what) {
        const HRESULT hr = VariantChangeType(&result.v, &result.v, 0, VT_I4);
        if (FAILED(hr)) Fail(what, hr);
        return result.v.lVal;
    }

    HWND host_ = nullptr;
    Site* site_ = nullptr;
    IOleObject* object_ = nullptr;
    IOleInPlaceObject* inPlace_ = nullptr;
    IDispatch* dispatch_ = nullptr;
    DISPID currentFrameId_ = DISPID_UNKNOWN;
    DISPID playId_ = DISPID_UNKNOWN;
    DISPID setVariableId_ = DISPID_UNKNOWN;
};

}  // namespace

std::unique_ptr<FlashControl> CreateActiveXFlashControl(HWND parent, bool visible) {
    if (!ControlRegistered()) return nullptr;
    return std::make_unique<ActiveXFlash>(parent, visible);
}

std::unique_ptr<FlashControl> CreateFlashControl(HWND parent, bool visible) {
    try {
        if (auto control = CreateActiveXFlashControl(parent, visible)) return control;
    } catch (const Error&) {
        // Registered but broken: the built-in player takes over.
    }
    return CreateBuiltInFlashControl(parent, visible);
}

}  // namespace kv
