#include "ui/Accessibility.h"

// Defines IID_IAccessible and the annotation GUIDs here: without it they may
// resolve to other definitions and the requests fail with E_NOINTERFACE.
#include <initguid.h>

#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>
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
// control itself, or with a description of it, and as the system's object for
// everything else.
class AnnotatedAccessible final : public IAccessible {
public:
    AnnotatedAccessible(ComPtr<IAccessible> standard, int name, std::string description)
        : standard_(std::move(standard)), name_(name), description_(std::move(description)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        // Only what this object is itself: an interface of the system's object
        // would lead a client that asks it for IAccessible back to the
        // unannotated object, which COM's rules of identity forbid.
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF || name_ == 0)
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
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF || description_.empty())
            return standard_->get_accDescription(child, description);
        if (!description)
            return E_POINTER;
        const int size = static_cast<int>(description_.size());
        const int length = MultiByteToWideChar(CP_ACP, 0, description_.data(), size, nullptr, 0);
        *description = SysAllocStringLen(nullptr, static_cast<UINT>(length));
        if (!*description)
            return E_OUTOFMEMORY;
        MultiByteToWideChar(CP_ACP, 0, description_.data(), size, *description, length);
        return S_OK;
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
    ~AnnotatedAccessible() = default;

    LONG references_ = 1;
    ComPtr<IAccessible> standard_;
    int name_; // a string resource, or 0 for the control's own name
    std::string description_;
};

// What a control says beyond its own: the description given to SetDescription
// and the tooltip that shows it.
struct Description {
    std::string text;
    HWND tip = nullptr;
};

constexpr UINT_PTR AnnotationSubclass = 1;
// Asks an annotated control for its Description: a private message that its
// subclass answers, which the control's own procedure never sees.
constexpr UINT WM_DESCRIPTION = WM_APP + 0x100;

// The answer to a screen reader's WM_GETOBJECT for the control itself, or 0
// to leave it to the control's own procedure.
LRESULT AnnotatedObject(HWND control, WPARAM flags, int name,
                        const std::string& description) noexcept {
    using CreateStandard = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    static const auto createStandard =
        base::LoadedSystemFunction<CreateStandard>("oleacc.dll", "CreateStdAccessibleObject");
    static const auto resultFromObject =
        base::LoadedSystemFunction<ResultFromObject>("oleacc.dll", "LresultFromObject");
    if (!createStandard || !resultFromObject || !InApartment())
        return 0;
    try {
        ComPtr<IAccessible> standard;
        if (FAILED(createStandard(control, OBJID_CLIENT, IID_IAccessible,
                                  reinterpret_cast<void**>(standard.GetAddressOf()))))
            return 0;
        ComPtr<IAccessible> annotated;
        annotated.Attach(new AnnotatedAccessible(std::move(standard), name, description));
        const LRESULT result = resultFromObject(IID_IAccessible, flags, annotated.Get());
        // A failure comes back as a negative HRESULT.
        return result > 0 ? result : 0;
    } catch (...) {
        return 0;
    }
}

// The answer to a WM_GETOBJECT for a control with another name or a
// description, or 0 to leave the message to the control's own procedure.
LRESULT Annotation(HWND window, WPARAM wParam, LPARAM lParam, const Description* description) {
    // The object identifier is a 32-bit value, whatever the width of lParam.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT)
        return 0;
    const ControlRow* row = Form::RowOf(window);
    const int name = row ? row->content.accessibleName : 0;
    if (name == 0 && (!description || description->text.empty()))
        return 0;
    return AnnotatedObject(window, wParam, name, description ? description->text : std::string());
}

// Nothing here throws: no exception can reach the system's frames.
LRESULT CALLBACK AnnotatedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR data) {
    auto* const description = reinterpret_cast<Description*>(data);
    if (message == WM_GETOBJECT) {
        if (const LRESULT object = Annotation(window, wParam, lParam, description))
            return object;
    } else if (message == WM_DESCRIPTION) {
        return static_cast<LRESULT>(data);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, AnnotatedProcedure, AnnotationSubclass);
        delete description;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// A named control's procedure, in place of its class's. A subclass would be
// the platform's way, but its chain lives in a window property, which Wine
// reads from its server at every message the control gets: about 80 requests
// more at start-up for the three browse buttons. A description comes later,
// and a subclass then stacks on this.
LRESULT CALLBACK NamedControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT)
        if (const LRESULT object = Annotation(window, wParam, lParam, nullptr))
            return object;
    // The class's own procedure is the one replaced: nothing else replaces a
    // control's procedure between its creation and its naming.
    return CallWindowProcA(reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC)),
                           window, message, wParam, lParam);
}

} // namespace

void AnswerWithAccessibleName(HWND control) {
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NamedControlProcedure));
}

void SetDescription(HWND control, const std::string& text) {
    auto* description = reinterpret_cast<Description*>(SendMessageA(control, WM_DESCRIPTION, 0, 0));
    if (!description) {
        if (text.empty())
            return;
        description = new Description;
        SetWindowSubclass(control, AnnotatedProcedure, AnnotationSubclass,
                          reinterpret_cast<DWORD_PTR>(description));
        // A label hands the mouse to its parent unless it notifies, and the
        // tooltip would never see it.
        SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | SS_NOTIFY);
        description->tip = CreateWindowExA(
            WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
            0, 0, GetAncestor(control, GA_ROOT), nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    if (description->text == text)
        return;
    description->text = text;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = control;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = description->text.data();
    // Taken away and given again: the tool then shows the new text, and none
    // when there is none.
    SendMessageA(description->tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty())
        SendMessageA(description->tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, control, OBJID_CLIENT, CHILDID_SELF);
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
