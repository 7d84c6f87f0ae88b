#include "framework/FwBrowserSite.h"

#include <new>

namespace {
LONG g_liveSites = 0;

// Out-parameters are cleared even when the answer is "none": callers may
// release whatever they find there.
template <class T> HRESULT NoObject(T** out, HRESULT result) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return result;
}
} // namespace

CFwComPtr<CFwBrowserSite> CFwBrowserSite::Create(IFwBrowserSiteOwner* owner, HWND host) {
    // The count starts at 1: the returned owner holds that reference.
    return CFwComPtr<CFwBrowserSite>(new (std::nothrow) CFwBrowserSite(owner, host));
}

LONG CFwBrowserSite::LiveCount() {
    return g_liveSites;
}

CFwBrowserSite::CFwBrowserSite(IFwBrowserSiteOwner* owner, HWND host)
    : m_owner(owner), m_host(host) {
    InterlockedIncrement(&g_liveSites);
}

CFwBrowserSite::~CFwBrowserSite() {
    InterlockedDecrement(&g_liveSites);
}

void CFwBrowserSite::Detach() {
    m_owner = nullptr;
    m_host = nullptr;
}

// ---- IUnknown ---------------------------------------------------------------

STDMETHODIMP CFwBrowserSite::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    // IOleWindow is a base of both the site and the frame: name the branch.
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
        *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
        *out = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IDocHostUIHandler))
        *out = static_cast<IDocHostUIHandler*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CFwBrowserSite::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_count));
}

STDMETHODIMP_(ULONG) CFwBrowserSite::Release() {
    LONG count = InterlockedDecrement(&m_count);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

// ---- IOleClientSite -----------------------------------------------------------

STDMETHODIMP CFwBrowserSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
    return NoObject(out, E_NOTIMPL);
}

STDMETHODIMP CFwBrowserSite::GetContainer(IOleContainer** out) {
    return NoObject(out, E_NOINTERFACE);
}

// ---- IOleWindow, IOleInPlaceSite ----------------------------------------------

STDMETHODIMP CFwBrowserSite::GetWindow(HWND* out) {
    if (!out)
        return E_POINTER;
    *out = m_host;
    return m_host ? S_OK : E_FAIL;
}

STDMETHODIMP CFwBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                              RECT* pos, RECT* clip, OLEINPLACEFRAMEINFO* info) {
    if (!frame || !doc || !pos || !clip || !info)
        return E_POINTER;
    *frame = nullptr;
    *doc = nullptr; // no document window apart from the frame
    if (!m_host)
        return E_FAIL;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    GetClientRect(m_host, pos);
    *clip = *pos;
    // cb is the caller's; the rest describes a frame without accelerators.
    info->fMDIApp = FALSE;
    info->hwndFrame = m_host;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

// ---- IDocHostUIHandler --------------------------------------------------------

STDMETHODIMP CFwBrowserSite::ShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget,
                                             IDispatch* reserved) {
    // Without an owner nobody asked for a menu.
    return m_owner ? m_owner->OnShowContextMenu(id, pt, cmdTarget, reserved) : S_OK;
}

STDMETHODIMP CFwBrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info)
        return E_POINTER;
    return m_owner ? m_owner->OnGetHostInfo(info) : S_OK;
}

STDMETHODIMP CFwDocHostAnswers::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    return NoObject(key, S_FALSE);
}

STDMETHODIMP CFwDocHostAnswers::GetDropTarget(IDropTarget*, IDropTarget** out) {
    return NoObject(out, E_NOTIMPL);
}

STDMETHODIMP CFwDocHostAnswers::GetExternal(IDispatch** out) {
    return NoObject(out, S_FALSE);
}

STDMETHODIMP CFwDocHostAnswers::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
    return NoObject(out, S_FALSE);
}

STDMETHODIMP CFwDocHostAnswers::FilterDataObject(IDataObject*, IDataObject** out) {
    return NoObject(out, S_FALSE);
}
