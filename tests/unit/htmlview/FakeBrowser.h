#pragma once
// A browser object that records what its container asks of it, in order, and
// counts its references. It lives on the test's stack and never deletes itself.
#include <windows.h>
#include <mshtmhst.h>
#include <oleidl.h>
#include <string>

#include "framework/FwCom.h"

class CFakeBrowser : public IOleObject, public IOleInPlaceObject {
public:
    enum class Failure { None, DoVerb, NoInPlaceObject };
    explicit CFakeBrowser(Failure failure = Failure::None) : m_failure(failure) {}
    virtual ~CFakeBrowser() = default;

    LONG refs = 0;
    std::string log;
    CFwComPtr<IOleClientSite> site;
    HWND activationParent = nullptr;
    RECT activationRect = {};
    // What the site answered while the object activated itself.
    HWND siteWindow = nullptr;
    HWND frameWindow = nullptr;
    RECT sitePos = {};
    int objectRectsCalls = 0;
    RECT objectRect = {};

    // The site's document host UI handler, as the browser's document asks for it.
    CFwComPtr<IDocHostUIHandler> Handler() const {
        CFwComPtr<IDocHostUIHandler> handler;
        site.QueryTo(IID_IDocHostUIHandler, handler);
        return handler;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
            *out = static_cast<IOleObject*>(this);
        else if ((IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject)) &&
                 m_failure != Failure::NoInPlaceObject)
            *out = static_cast<IOleInPlaceObject*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* newSite) override {
        log += newSite ? "SetClientSite(site) " : "SetClientSite(null) ";
        site.Reset();
        if (newSite) {
            newSite->AddRef();
            *site.Receive() = newSite;
        }
        return S_OK;
    }
    STDMETHODIMP DoVerb(LONG verb, MSG*, IOleClientSite* active, LONG, HWND parent,
                        const RECT* rect) override {
        log += verb == OLEIVERB_INPLACEACTIVATE ? "DoVerb " : "DoVerb(other) ";
        activationParent = parent;
        activationRect = rect ? *rect : RECT{};
        if (m_failure == Failure::DoVerb)
            return E_FAIL;
        // What a real object asks while it activates in place.
        CFwComPtr<IOleInPlaceSite> inPlaceSite;
        if (!active || FAILED(active->QueryInterface(
                           IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlaceSite.Receive()))))
            return E_UNEXPECTED;
        if (inPlaceSite->CanInPlaceActivate() != S_OK)
            return E_UNEXPECTED;
        inPlaceSite->OnInPlaceActivate();
        inPlaceSite->GetWindow(&siteWindow);
        CFwComPtr<IOleInPlaceFrame> frame;
        CFwComPtr<IOleInPlaceUIWindow> doc;
        RECT clip;
        OLEINPLACEFRAMEINFO info = {sizeof(info)};
        if (FAILED(inPlaceSite->GetWindowContext(frame.Receive(), doc.Receive(), &sitePos, &clip,
                                                 &info)))
            return E_UNEXPECTED;
        if (frame)
            frame->GetWindow(&frameWindow);
        return S_OK;
    }
    STDMETHODIMP Close(DWORD option) override {
        log += option == OLECLOSE_NOSAVE ? "Close " : "Close(other) ";
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override {
        log += "InPlaceDeactivate ";
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(const RECT* pos, const RECT*) override {
        ++objectRectsCalls;
        objectRect = *pos;
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

private:
    Failure m_failure;
};
