#include "ui/Accessibility.h"

// Defines IID_IAccessible and the annotation GUIDs here: without it they may
// resolve to other definitions and the requests fail with E_NOINTERFACE.
#include <initguid.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <new>
#include <utility>

#include "base/SystemFunction.h"
#include "ui/Form.h"

namespace ui {

namespace {

using Microsoft::WRL::ComPtr;

// UI Automation's LiveSetting property and its value Polite, which oleacc's
// annotation takes (the MinGW headers do not declare them).
constexpr GUID LiveSettingProperty{
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG Polite = 1;

// A screen reader holds the objects it was given, and calls them, through this
// thread's apartment for as long as it likes: the thread joins one on first
// need and stays in it. Later balanced calls (the registry's) find it there.
bool InApartment() {
    static const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(joined) || joined == RPC_E_CHANGED_MODE;
}

// The system's own object for a control, answering with another name for the
// control itself and as the system's object for everything else.
class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(ComPtr<IAccessible> standard, int name)
        : standard_(std::move(standard)), name_(name) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // IOleWindow, IEnumVARIANT and the like: the system's object knows them.
        return standard_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF)
            return standard_->get_accName(child, name);
        if (!name)
            return E_POINTER;
        // With no room given, the resource's own text and its length.
        const wchar_t* text = nullptr;
        const int length = LoadStringW(GetModuleHandleA(nullptr), static_cast<UINT>(name_),
                                       reinterpret_cast<LPWSTR>(&text), 0);
        *name = SysAllocStringLen(text, static_cast<UINT>(length));
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override {
        return standard_->Invoke(id, iid, locale, flags, parameters, result, exception,
                                 badArgument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~NamedAccessible() = default;

    LONG references_ = 1;
    ComPtr<IAccessible> standard_;
    int name_;
};

// The answer to a screen reader's WM_GETOBJECT for the control itself, or 0
// to leave it to the control's own procedure.
LRESULT NamedObject(HWND control, WPARAM flags, int name) noexcept {
    using CreateStandard = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    static const auto createStandard =
        base::LoadedSystemFunction<CreateStandard>("oleacc.dll", "CreateStdAccessibleObject");
    static const auto resultFromObject =
        base::LoadedSystemFunction<ResultFromObject>("oleacc.dll", "LresultFromObject");
    if (!createStandard || !resultFromObject || !InApartment())
        return 0;
    ComPtr<IAccessible> standard;
    if (FAILED(createStandard(control, OBJID_CLIENT, IID_IAccessible,
                              reinterpret_cast<void**>(standard.GetAddressOf()))))
        return 0;
    ComPtr<IAccessible> named;
    named.Attach(new (std::nothrow) NamedAccessible(std::move(standard), name));
    if (!named)
        return 0;
    const LRESULT result = resultFromObject(IID_IAccessible, flags, named.Get());
    // A failure comes back as a negative HRESULT.
    return result > 0 ? result : 0;
}

// Nothing here throws: no exception can reach the system's frames.
LRESULT CALLBACK NamedControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The object identifier is a 32-bit value, whatever the width of lParam.
    if (message == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
        const ControlRow* row = Form::RowOf(window);
        if (const LRESULT object =
                row ? NamedObject(window, wParam, row->content.accessibleName) : 0)
            return object;
    }
    // The class's own procedure is the one replaced: nothing else replaces a
    // control's procedure between its creation and its naming.
    return CallWindowProcA(reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC)),
                           window, message, wParam, lParam);
}

} // namespace

// A new procedure rather than a window property to find the name by: the
// procedure costs no request to the window system, which matters at start-up.
void AnswerWithAccessibleName(HWND control) {
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NamedControlProcedure));
}

void MakePoliteLiveRegion(HWND control) {
    if (!InApartment())
        return;
    ComPtr<IAccPropServices> services;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices,
                                reinterpret_cast<void**>(services.GetAddressOf()))))
        return;
    VARIANT polite;
    VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = Polite;
    // Some systems answer E_NOTIMPL: the news still goes out, read in the
    // reader's own manner.
    services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                          LiveSettingProperty, polite);
}

} // namespace ui
