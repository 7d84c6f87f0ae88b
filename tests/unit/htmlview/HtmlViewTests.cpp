// The HTML view and its dialog controls under Wine: window styles and placement,
// the browser policy as the browser's document sees it (through the site), the
// teardown in every order a dialog can take, and a view without a browser.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/FwBrowserSite.h"
#include "tests/unit/htmlview/FakeBrowser.h"
#include "ui/HtmlViewControl.h"

namespace {

const UINT kViewId = 1000;
const RECT kViewRect = {10, 20, 330, 260};

// The view with its browser object supplied by the test: the fake, or (without
// one) a failure as when no browser is registered.
template <class Base> class CTestView : public Base {
public:
    explicit CTestView(CFakeBrowser* fake) : m_fake(fake) {}

protected:
    HRESULT CreateBrowserObject(IOleObject** object) override {
        if (!m_fake)
            return REGDB_E_CLASSNOTREG;
        m_fake->AddRef();
        *object = m_fake;
        return S_OK;
    }

private:
    CFakeBrowser* m_fake;
};

using ViewPtr = std::unique_ptr<CFwHtmlView>;

struct ViewKind {
    const char* name;
    ViewPtr (*real)();
    ViewPtr (*faked)(CFakeBrowser*);
};

template <class T> ViewPtr MakeReal() {
    return std::make_unique<T>();
}
template <class T> ViewPtr MakeFaked(CFakeBrowser* fake) {
    return std::make_unique<CTestView<T>>(fake);
}

const ViewKind kBase = {"CFwHtmlView", MakeReal<CFwHtmlView>, MakeFaked<CFwHtmlView>};
const ViewKind kControl = {"CHtmlViewControl", MakeReal<CHtmlViewControl>,
                           MakeFaked<CHtmlViewControl>};
const ViewKind kControlEx = {"CHtmlViewControlEX", MakeReal<CHtmlViewControlEX>,
                             MakeFaked<CHtmlViewControlEX>};

// A top-level window standing in for the dialog; a test may destroy it early.
class CParentWindow {
public:
    CParentWindow()
        : m_hwnd(CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                 400, 320, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
    CParentWindow(const CParentWindow&) = delete;
    CParentWindow& operator=(const CParentWindow&) = delete;
    virtual ~CParentWindow() {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
    }
    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

// Message boxes and other dialogs of this process.
int CountDialogs() {
    int count = 0;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            char name[16] = "";
            GetClassNameA(hwnd, name, sizeof(name));
            if (pid == GetCurrentProcessId() && lstrcmpA(name, "#32770") == 0)
                ++*reinterpret_cast<int*>(param);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

RECT RectInParent(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class HtmlViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_NE(m_parent.Get(), nullptr);
        m_sitesBefore = CFwBrowserSite::LiveCount();
    }
    // Every view of a test is gone (a local of the test) before OLE is shut down.
    void TearDown() override {
        Pump(0);
        EXPECT_EQ(CFwBrowserSite::LiveCount(), m_sitesBefore);
        OleUninitialize();
    }

    CParentWindow m_parent;
    LONG m_sitesBefore = 0;
};

} // namespace

// What the finish dialog relies on: a child control at the rectangle, with its
// identifier, clipping its children, never a border or a sunken edge; the
// framework's own view keeps the document-view edge for WS_BORDER.
TEST_F(HtmlViewTest, CreatedAsAChildControlOfTheDialog) {
    struct Case {
        const ViewKind& kind;
        DWORD style;
        bool clientEdge;
    };
    const Case cases[] = {
        {kBase, WS_CHILD | WS_VISIBLE | WS_BORDER, true},
        {kBase, WS_CHILD | WS_VISIBLE, false},
        {kControl, WS_CHILD | WS_VISIBLE | WS_BORDER, false},
        {kControlEx, WS_CHILD | WS_VISIBLE | WS_BORDER, false},
        {kControlEx, WS_CHILD | WS_VISIBLE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind.name) + (c.style & WS_BORDER ? " with WS_BORDER" : ""));
        ViewPtr view = c.kind.real();
        ASSERT_TRUE(view->Create(nullptr, "", c.style, kViewRect, m_parent.Get(), kViewId));
        HWND hwnd = view->GetSafeHwnd();
        ASSERT_TRUE(IsWindow(hwnd));
        LONG style = GetWindowLongA(hwnd, GWL_STYLE);
        LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
        EXPECT_EQ(style & WS_BORDER, 0);
        EXPECT_NE(style & WS_CLIPCHILDREN, 0);
        EXPECT_NE(style & WS_CHILD, 0);
        EXPECT_EQ((exStyle & WS_EX_CLIENTEDGE) != 0, c.clientEdge);
        EXPECT_EQ(GetParent(hwnd), m_parent.Get());
        EXPECT_EQ(GetDlgCtrlID(hwnd), static_cast<int>(kViewId));
        EXPECT_EQ(Text(RectInParent(hwnd)), Text(kViewRect));
        char name[32] = "";
        GetClassNameA(hwnd, name, sizeof(name));
        EXPECT_STREQ(name, "FwHtmlView");
        // A second window for the same object is refused.
        EXPECT_FALSE(view->Create(nullptr, "", c.style, kViewRect, m_parent.Get(), kViewId));
    }
}

// The browser's document asks the site, not the view: the answers must come
// from the view's class. The flags are assigned whatever the structure held;
// the other fields are left alone.
TEST_F(HtmlViewTest, BrowserPolicyAnsweredThroughTheSite) {
    struct Case {
        const ViewKind& kind;
        bool keepsFlags;
        DWORD flags;
        HRESULT menu;
    };
    const Case cases[] = {
        {kBase, true, 0, S_FALSE},
        {kControl, false, DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO, S_OK},
        {kControlEx, false, DOCHOSTUIFLAG_NO3DBORDER, S_OK},
    };
    const DWORD proposals[] = {0, 0xFFFFFFFF, DOCHOSTUIFLAG_SCROLL_NO,
                               DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER};
    EXPECT_EQ(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO, 12);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind.name);
        CFakeBrowser fake;
        ViewPtr view = c.kind.faked(&fake);
        ASSERT_TRUE(
            view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, kViewRect, m_parent.Get(), kViewId));
        CFwComPtr<IDocHostUIHandler> handler = fake.Handler();
        ASSERT_TRUE(handler);
        for (DWORD proposal : proposals) {
            SCOPED_TRACE(proposal);
            wchar_t css[] = L"body{}";
            wchar_t ns[] = L"ns";
            DOCHOSTUIINFO info = {sizeof(info), proposal, DOCHOSTUIDBLCLK_SHOWCODE, css, ns};
            EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
            EXPECT_EQ(info.dwFlags, c.keepsFlags ? proposal : c.flags);
            EXPECT_EQ(info.cbSize, sizeof(info));
            EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_SHOWCODE));
            EXPECT_EQ(info.pchHostCss, css);
            EXPECT_EQ(info.pchHostNS, ns);
        }
        POINT pt = {5, 5};
        EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &pt, nullptr, nullptr), c.menu);
    }
}

// A browser that keeps the site after the view is gone must not reach the view.
TEST_F(HtmlViewTest, SiteOutlivingItsViewAnswersAlone) {
    CFakeBrowser fake;
    CFwComPtr<IDocHostUIHandler> handler;
    {
        ViewPtr view = kControlEx.faked(&fake);
        ASSERT_TRUE(
            view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, kViewRect, m_parent.Get(), kViewId));
        handler = fake.Handler();
        ASSERT_TRUE(handler);
    }
    EXPECT_EQ(CFwBrowserSite::LiveCount(), m_sitesBefore + 1);
    DOCHOSTUIINFO info = {sizeof(info), 0x1234};
    EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x1234u);
    EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, nullptr, nullptr, nullptr), S_OK);
    CFwComPtr<IOleWindow> window;
    ASSERT_EQ(handler.QueryTo(IID_IOleWindow, window), S_OK);
    HWND hwnd = reinterpret_cast<HWND>(1);
    EXPECT_TRUE(FAILED(window->GetWindow(&hwnd)));
    EXPECT_EQ(hwnd, nullptr);
    window.Reset();
    handler.Reset();
    EXPECT_EQ(CFwBrowserSite::LiveCount(), m_sitesBefore);
}

// The browser is activated in place over the view's client area and follows
// the view's size.
TEST_F(HtmlViewTest, BrowserActivatedOverTheClientAreaAndResizedWithIt) {
    CFakeBrowser fake;
    ViewPtr view = kControlEx.faked(&fake);
    ASSERT_TRUE(
        view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, kViewRect, m_parent.Get(), kViewId));
    HWND hwnd = view->GetSafeHwnd();
    EXPECT_EQ(fake.log, "SetClientSite(site) DoVerb ");
    EXPECT_EQ(fake.activationParent, hwnd);
    EXPECT_EQ(fake.siteWindow, hwnd);
    EXPECT_EQ(fake.frameWindow, hwnd);
    EXPECT_EQ(Text(fake.activationRect), "0,0,320,240");
    EXPECT_EQ(Text(fake.sitePos), "0,0,320,240");

    SetWindowPos(hwnd, nullptr, 0, 0, 200, 120, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GT(fake.objectRectsCalls, 0);
    EXPECT_EQ(Text(fake.objectRect), "0,0,200,120");

    // The system's browser window does the same.
    ViewPtr real = kControlEx.real();
    ASSERT_TRUE(
        real->Create(nullptr, "", WS_CHILD | WS_VISIBLE, kViewRect, m_parent.Get(), kViewId));
    HWND browser = GetWindow(real->GetSafeHwnd(), GW_CHILD);
    if (!browser)
        GTEST_SKIP() << "no browser window on this system";
    RECT client;
    GetClientRect(browser, &client);
    EXPECT_EQ(Text(client), "0,0,320,240");
    SetWindowPos(real->GetSafeHwnd(), nullptr, 0, 0, 200, 120, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(browser, &client);
    EXPECT_EQ(Text(client), "0,0,200,120");
}

// The window and the object go in any order: the window alone (it takes the
// browser with it; the object stays usable), the dialog first, or the object
// while its window exists. Each teardown step runs once and every reference is
// given back.
TEST_F(HtmlViewTest, TeardownInEveryOrderReleasesEverything) {
    struct Order {
        const char* name;
        void (*destroyWindow)(HWND view, HWND parent); // null: the object goes first
    };
    const Order orders[] = {
        {"window, then object", [](HWND view, HWND) { DestroyWindow(view); }},
        {"dialog window, then object", [](HWND, HWND parent) { DestroyWindow(parent); }},
        {"object while its window exists", nullptr},
    };
    const char* const fullLog =
        "SetClientSite(site) DoVerb InPlaceDeactivate SetClientSite(null) Close ";
    for (const ViewKind* kind : {&kControl, &kControlEx}) {
        for (const Order& order : orders) {
            for (bool real : {false, true}) {
                SCOPED_TRACE(std::string(kind->name) + ": " + order.name +
                             (real ? ", system browser" : ", fake browser"));
                CParentWindow parent;
                CFakeBrowser fake;
                ViewPtr view = real ? kind->real() : kind->faked(&fake);
                ASSERT_TRUE(view->Create(nullptr, "", WS_CHILD, kViewRect, parent.Get(), kViewId));
                EXPECT_EQ(CFwBrowserSite::LiveCount(), m_sitesBefore + 1);
                HWND hwnd = view->GetSafeHwnd();
                if (order.destroyWindow) {
                    order.destroyWindow(hwnd, parent.Get());
                    Pump(0);
                    EXPECT_EQ(view->GetSafeHwnd(), nullptr);
                    EXPECT_EQ(CFwBrowserSite::LiveCount(), m_sitesBefore);
                    EXPECT_EQ(fake.refs, 0);
                    view->Navigate("C:\\windows\\win.ini");
                }
                view.reset();
                Pump(0);
                EXPECT_FALSE(IsWindow(hwnd));
                EXPECT_EQ(CFwBrowserSite::LiveCount(), m_sitesBefore);
                EXPECT_EQ(fake.log, real ? "" : fullLog);
                EXPECT_EQ(fake.refs, 0);
                EXPECT_FALSE(fake.site);
            }
        }
    }
}

// Without a browser, or with one that fails half-way, the view is still a
// plain child window of the right size and nothing is left half-built.
TEST_F(HtmlViewTest, FailedBrowserLeavesAPlainChildWindow) {
    struct Case {
        const char* name;
        bool withObject;
        CFakeBrowser::Failure failure;
        const char* log;
    };
    const Case cases[] = {
        {"no browser object", false, CFakeBrowser::Failure::None, ""},
        {"activation fails", true, CFakeBrowser::Failure::DoVerb,
         "SetClientSite(site) DoVerb SetClientSite(null) Close "},
        {"no in-place object", true, CFakeBrowser::Failure::NoInPlaceObject,
         "SetClientSite(site) DoVerb SetClientSite(null) Close "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFakeBrowser fake(c.failure);
        ViewPtr view = kControlEx.faked(c.withObject ? &fake : nullptr);
        ASSERT_TRUE(
            view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, kViewRect, m_parent.Get(), kViewId));
        HWND hwnd = view->GetSafeHwnd();
        ASSERT_TRUE(IsWindow(hwnd));
        EXPECT_EQ(Text(RectInParent(hwnd)), Text(kViewRect));
        EXPECT_EQ(fake.log, c.log);
        EXPECT_EQ(fake.refs, 0);
        EXPECT_EQ(CFwBrowserSite::LiveCount(), m_sitesBefore);
        view->Navigate("C:\\windows\\win.ini");
        SetWindowPos(hwnd, nullptr, 0, 0, 50, 40, SWP_NOMOVE | SWP_NOZORDER);
        view.reset();
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(fake.log, c.log);
    }
}

// Navigating the system's browser to a page on disk, as the finish dialog does
// (a plain path, no scheme), with and without the optional arguments: no crash,
// no message box, the view stays.
TEST_F(HtmlViewTest, NavigateToAPageOnDiskShowsNoBox) {
    char temp[MAX_PATH] = "";
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    std::string page = std::string(temp) + "FwHtmlViewTest.htm";
    const char html[] = "<html><body><p>page</p></body></html>";
    HANDLE file = CreateFileA(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, html, sizeof(html) - 1, &written, nullptr);
    CloseHandle(file);

    const int dialogsBefore = CountDialogs();
    for (const ViewKind* kind : {&kControl, &kControlEx}) {
        SCOPED_TRACE(kind->name);
        ViewPtr view = kind->real();
        ASSERT_TRUE(
            view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, kViewRect, m_parent.Get(), kViewId));
        view->Navigate(page.c_str());
        Pump(500);
        const char post[] = "a=1";
        view->Navigate(page.c_str(), 0, "_self", "X-Test: 1\r\n", post, sizeof(post) - 1);
        Pump(500);
        EXPECT_TRUE(IsWindow(view->GetSafeHwnd()));
        EXPECT_EQ(CountDialogs(), dialogsBefore);
    }
    DeleteFileA(page.c_str());
}

// The application initialises OLE before the finish screen; should it not, the
// browser cannot be created and the view is a plain window.
TEST(HtmlViewWithoutOle, PlainChildWindow) {
    CParentWindow parent;
    ASSERT_NE(parent.Get(), nullptr);
    const LONG sitesBefore = CFwBrowserSite::LiveCount();
    {
        CHtmlViewControlEX view;
        ASSERT_TRUE(
            view.Create(nullptr, "", WS_CHILD | WS_VISIBLE, kViewRect, parent.Get(), kViewId));
        EXPECT_EQ(GetWindow(view.GetSafeHwnd(), GW_CHILD), nullptr);
        EXPECT_EQ(Text(RectInParent(view.GetSafeHwnd())), Text(kViewRect));
        EXPECT_EQ(CFwBrowserSite::LiveCount(), sitesBefore);
        view.Navigate("C:\\windows\\win.ini");
    }
}
