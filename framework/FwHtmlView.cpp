#include "framework/FwHtmlView.h"

#include <string.h>
#include <utility>

namespace {

const char kViewClass[] = "FwHtmlView";

// The view's own class: the default procedure, painted like an empty page
// while no browser draws over it.
bool RegisterViewClass() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(instance, kViewClass, &wc))
        return true;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kViewClass;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A BSTR argument of Navigate; left empty when there is no text.
void SetText(CFwVariant& arg, const char* text) {
    if (!text)
        return;
    arg.Get().bstrVal = CFwBstr(text).Detach();
    arg.Get().vt = VT_BSTR;
}

} // namespace

CFwHtmlView::~CFwHtmlView() {
    DestroyBrowser();
    if (HWND hwnd = GetSafeHwnd())
        DestroyWindow(hwnd);
}

BOOL CFwHtmlView::Create(const char* className, const char* windowName, DWORD style,
                         const RECT& rect, HWND parent, UINT id, void* context) {
    if (GetSafeHwnd())
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.lpCreateParams = context;
    cs.hInstance = GetModuleHandleA(nullptr);
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.hwndParent = parent;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    if (!PreCreateWindow(cs))
        return FALSE;
    RECT placed = {cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
    if (!CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), placed,
                  cs.hwndParent, static_cast<UINT>(reinterpret_cast<UINT_PTR>(cs.hMenu))))
        return FALSE;
    // Without a browser the view stays an empty child window.
    CreateBrowser();
    return TRUE;
}

BOOL CFwHtmlView::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        if (!RegisterViewClass())
            return FALSE;
        cs.lpszClass = kViewClass;
    }
    // The browser's window is a child; the view must not paint over it.
    cs.style |= WS_CLIPCHILDREN;
    if (cs.style & WS_BORDER) {
        cs.style &= ~static_cast<LONG>(WS_BORDER);
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    }
    return TRUE;
}

HRESULT CFwHtmlView::OnShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_FALSE;
}

HRESULT CFwHtmlView::OnGetHostInfo(DOCHOSTUIINFO*) {
    return S_OK;
}

HRESULT CFwHtmlView::CreateBrowserObject(IOleObject** object) {
    return CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                            reinterpret_cast<void**>(object));
}

bool CFwHtmlView::CreateBrowser() {
    HWND hwnd = GetSafeHwnd();
    CFwComPtr<CFwBrowserSite> site = CFwBrowserSite::Create(this, hwnd);
    if (!site)
        return false;
    CFwComPtr<IOleObject> object;
    HRESULT hr = CreateBrowserObject(object.Receive());
    if (FAILED(hr) || !object)
        return false;
    m_site = std::move(site);
    m_object = std::move(object);

    // The OLE activation order: site, in-place activation at the client area,
    // then the interfaces the view keeps using.
    RECT client;
    GetClientRect(hwnd, &client);
    hr = m_object->SetClientSite(m_site.Get());
    if (SUCCEEDED(hr))
        hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site.Get(), 0, hwnd, &client);
    if (SUCCEEDED(hr))
        hr = m_object.QueryTo(IID_IOleInPlaceObject, m_inPlace);
    if (FAILED(hr)) {
        DestroyBrowser();
        return false;
    }
    // An object that is not a web browser stays hosted but cannot navigate.
    m_object.QueryTo(IID_IWebBrowser2, m_browser);
    return true;
}

void CFwHtmlView::DestroyBrowser() {
    // The members are emptied first: a call that arrives while the browser
    // closes finds nothing left to tear down.
    CFwComPtr<IWebBrowser2> browser(std::move(m_browser));
    CFwComPtr<IOleInPlaceObject> inPlace(std::move(m_inPlace));
    CFwComPtr<IOleObject> object(std::move(m_object));
    CFwComPtr<CFwBrowserSite> site(std::move(m_site));

    browser.Reset();
    if (inPlace)
        inPlace->InPlaceDeactivate();
    inPlace.Reset();
    if (object) {
        // The site goes before Close, so the closing browser cannot call back
        // into a view that is on its way out.
        object->SetClientSite(nullptr);
        object->Close(OLECLOSE_NOSAVE);
        object.Reset();
    }
    // The browser may keep the site a little longer; it then answers alone.
    if (site)
        site->Detach();
}

void CFwHtmlView::Navigate(const char* url, DWORD flags, const char* targetFrame,
                           const char* headers, const void* postData, DWORD postDataLength) {
    if (!m_browser || !url)
        return;
    CFwBstr address(url);
    CFwVariant flagsArg, frameArg, postArg, headersArg;
    flagsArg.Get().lVal = static_cast<LONG>(flags);
    flagsArg.Get().vt = VT_I4;
    SetText(frameArg, targetFrame);
    SetText(headersArg, headers);
    if (postData && postDataLength) {
        // The array belongs to the variant from its making.
        if (SAFEARRAY* data = SafeArrayCreateVector(VT_UI1, 0, postDataLength)) {
            postArg.Get().parray = data;
            postArg.Get().vt = VT_ARRAY | VT_UI1;
            void* bytes = nullptr;
            if (SUCCEEDED(SafeArrayAccessData(data, &bytes))) {
                memcpy(bytes, postData, postDataLength);
                SafeArrayUnaccessData(data);
            }
        }
    }
    m_browser->Navigate(address.Get(), flagsArg.Ptr(), frameArg.Ptr(), postArg.Ptr(),
                        headersArg.Ptr());
}

LRESULT CFwHtmlView::WindowProc(UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (m_inPlace) {
            RECT area = {0, 0, LOWORD(lParam), HIWORD(lParam)};
            m_inPlace->SetObjectRects(&area, &area);
        }
        break;
    case WM_DESTROY:
        // The browser's window still exists here; it is deactivated first.
        DestroyBrowser();
        break;
    case WM_NCDESTROY: {
        LRESULT result = Default();
        PostNcDestroy();
        return result;
    }
    default:
        break;
    }
    return Default();
}
