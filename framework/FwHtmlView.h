#pragma once
// The framework's HTML view: a child window that hosts the system's web browser
// in place. The browser is optional: when it cannot be created the view is
// still a plain child window, and navigating it does nothing.
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include "framework/FwBrowserSite.h"
#include "framework/FwCom.h"
#include "framework/FwWnd.h"

class CFwHtmlView : public CFwWnd, public IFwBrowserSiteOwner {
public:
    CFwHtmlView() = default;
    // Tears the browser down and destroys the window when it still exists.
    ~CFwHtmlView() override;

    // Creates the view window (className null: the view's own class) and, inside
    // it, the browser. Needs OLE initialised on this thread for the browser.
    // FALSE only when the window itself cannot be created; context is unused.
    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                HWND parent, UINT id, void* context = nullptr);

    // Navigates to a local file path or a URL (narrow text, ANSI code page).
    // Does nothing without a browser; failures are not reported.
    void Navigate(const char* url, DWORD flags = 0, const char* targetFrame = nullptr,
                  const char* headers = nullptr, const void* postData = nullptr,
                  DWORD postDataLength = 0);

    // Called before the window is created; FALSE stops the creation. Adds
    // WS_CLIPCHILDREN and turns WS_BORDER into WS_EX_CLIENTEDGE.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

    // Browser policy: S_FALSE lets the browser show its context menu; the host
    // information is left as the browser proposed it.
    HRESULT OnShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget,
                              IDispatch* reserved) override;
    HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) override;

protected:
    // After the window's last message. The view is always someone's member, so
    // the base never deletes it.
    virtual void PostNcDestroy() {}

    // Makes the browser object; a test may hand in its own. Needs OLE.
    virtual HRESULT CreateBrowserObject(IOleObject** object);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Stops at the first failure and leaves nothing half-built behind.
    bool CreateBrowser();
    // Deactivate, detach the site, close, release; safe to call again.
    void DestroyBrowser();

    CFwComPtr<CFwBrowserSite> m_site;
    CFwComPtr<IOleObject> m_object;
    CFwComPtr<IOleInPlaceObject> m_inPlace;
    CFwComPtr<IWebBrowser2> m_browser;
};
