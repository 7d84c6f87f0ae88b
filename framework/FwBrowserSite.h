#pragma once
// The container side of an embedded web browser: one counted COM object that is
// the browser's client site, in-place site and frame, and its document host UI
// handler. Policy questions go back to the owner through a callback interface.
//
// Classes in this file: IFwBrowserSiteOwner, CFwInPlaceSiteAnswers,
// CFwInPlaceFrameAnswers, CFwDocHostAnswers, CFwBrowserSite.
#include <windows.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include "framework/FwCom.h"

// What the site asks of the window that hosts the browser.
class IFwBrowserSiteOwner {
public:
    virtual ~IFwBrowserSiteOwner() = default;
    // IDocHostUIHandler::ShowContextMenu: S_OK when handled (no menu), S_FALSE
    // to let the browser show its own.
    virtual HRESULT OnShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget,
                                      IDispatch* reserved) = 0;
    // IDocHostUIHandler::GetHostInfo: adjusts the browser's proposal in place.
    virtual HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) = 0;
};

// Answers that need no state sit in the branch of their interface: the site's
// tables then point at them directly, not at this-adjusting thunks.
class CFwInPlaceSiteAnswers : public IOleInPlaceSite {
public:
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(const RECT*) override { return S_OK; }
};

// A frame without menus or toolbars.
class CFwInPlaceFrameAnswers : public IOleInPlaceFrame {
public:
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }
};

// Everything but the two policy questions.
class CFwDocHostAnswers : public IDocHostUIHandler {
public:
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(const RECT*, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(MSG*, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override;
    STDMETHODIMP GetExternal(IDispatch** out) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override;
};

class CFwBrowserSite : public IOleClientSite,
                       public CFwInPlaceSiteAnswers,
                       public CFwInPlaceFrameAnswers,
                       public CFwDocHostAnswers {
public:
    // A new site holding one reference for the caller; empty when out of memory.
    static CFwComPtr<CFwBrowserSite> Create(IFwBrowserSiteOwner* owner, HWND host);
    // Sites alive in this process (for leak checks).
    static LONG LiveCount();

    // Forgets the owner and its window; the browser may still hold the site for
    // a while, and answers then come without asking anyone.
    void Detach();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
    STDMETHODIMP GetContainer(IOleContainer** out) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of both the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* out) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return m_host ? S_OK : S_FALSE; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos,
                                  RECT* clip, OLEINPLACEFRAMEINFO* info) override;

    // IDocHostUIHandler: the two policy questions go to the owner.
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget,
                                 IDispatch* reserved) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;

private:
    CFwBrowserSite(IFwBrowserSiteOwner* owner, HWND host);
    CFwBrowserSite(const CFwBrowserSite&) = delete;
    CFwBrowserSite& operator=(const CFwBrowserSite&) = delete;
    // Only Release deletes.
    virtual ~CFwBrowserSite();

    LONG m_count = 1;
    IFwBrowserSiteOwner* m_owner;
    HWND m_host;
};
