#include "ui/GdiPlusButton.h"

#include <windowsx.h>

#include "framework/FwString.h"
#include "ui/GdiPlusDlg.h"

#include <algorithm>
#include <vector>

// No tooltip: nothing in this program ever gives a button one.

namespace {

const UINT kRedrawNow = RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW;

// Owner of a region handle until someone (SetWindowRgn) takes it.
class CRegionOwner {
public:
    explicit CRegionOwner(HRGN rgn) : m_rgn(rgn) {}
    CRegionOwner(const CRegionOwner&) = delete;
    CRegionOwner& operator=(const CRegionOwner&) = delete;
    ~CRegionOwner() {
        if (m_rgn)
            DeleteObject(m_rgn);
    }
    HRGN Get() const { return m_rgn; }
    void Detach() { m_rgn = nullptr; }

private:
    HRGN m_rgn;
};

// A device context borrowed from a GDI+ Graphics, handed back on every path.
class CGraphicsDC {
public:
    explicit CGraphicsDC(Gdiplus::Graphics& graphics)
        : m_graphics(graphics), m_dc(graphics.GetHDC()) {}
    CGraphicsDC(const CGraphicsDC&) = delete;
    CGraphicsDC& operator=(const CGraphicsDC&) = delete;
    ~CGraphicsDC() {
        if (m_dc)
            m_graphics.ReleaseHDC(m_dc);
    }
    HDC Get() const { return m_dc; }

private:
    Gdiplus::Graphics& m_graphics;
    HDC m_dc;
};

// The window's text into text.
void ReadWindowText(HWND hwnd, std::string& text) {
    std::vector<char> buffer(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    GetWindowTextA(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    text = buffer.data();
}

} // namespace

CGdiPlusButton::~CGdiPlusButton() {
    if (GetSafeHwnd())
        KillTimer(GetSafeHwnd(), GlowTimerId);
    // The cached face first; the image and the caption follow as members.
    m_spCachedFace.reset();
}

// ---------------------------------------------------------------- creation

bool CGdiPlusButton::CreateEx(DWORD exStyle, const char* className, const char* windowName,
                              DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (!className || !*className)
        className = "BUTTON";
    if (!CFwWnd::CreateEx(exStyle, className, windowName, style, rect, parent, id))
        return false;
    if ((style & BS_DEFPUSHBUTTON) && GetFocus() != GetSafeHwnd())
        SetFocus(GetSafeHwnd());
    if (m_strCaption.empty() && windowName)
        m_strCaption = windowName;
    return true;
}

void CGdiPlusButton::PreSubclassWindow() {
    HWND hwnd = GetSafeHwnd();
    // Region and client rectangle once the window is ours.
    PostMessageA(hwnd, WM_SIZE, 0, 0);
    if (m_strCaption.empty())
        ReadWindowText(hwnd, m_strCaption);
    // A template's default push button starts as the default: WM_GETDLGCODE answers
    // from m_bDefault, and BM_SETSTYLE never reaches the system button.
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    m_bEnabled = (style & WS_DISABLED) == 0;
    m_bDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// ---------------------------------------------------------------- settings

void CGdiPlusButton::RepaintNow() {
    m_bDirty = true;
    if (GetSafeHwnd())
        RedrawWindow(GetSafeHwnd(), nullptr, nullptr, kRedrawNow);
}

// ---------------------------------------------------------------- painting

void CGdiPlusButton::DrawButton(HDC dc) {
    HWND hwnd = GetSafeHwnd();
    if (!dc || !hwnd)
        return;
    Gdiplus::Graphics target(dc);
    m_bEnabled = (GetWindowLongA(hwnd, GWL_STYLE) & WS_DISABLED) == 0;
    if (m_bDirty) {
        GetClientRect(hwnd, &m_rcClient);
        Gdiplus::Rect rect(m_rcClient.left, m_rcClient.top, m_rcClient.right - m_rcClient.left,
                           m_rcClient.bottom - m_rcClient.top);
        m_spCachedFace.reset();
        CGdiplusOffscreen face(rect.Width, rect.Height);
        if (const GraphicsPtr& graphics = face.GetGraphics()) {
            {
                CGraphicsDC bitmapDC(*graphics);
                if (bitmapDC.Get())
                    PaintParentBackground(bitmapDC.Get(), m_rcClient);
            }
            graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            RenderFace(graphics, &rect);
            m_spCachedFace = face.Cache(target);
        }
        m_bDirty = false;
    }
    if (m_spCachedFace)
        target.DrawCachedBitmap(m_spCachedFace.get(), 0, 0);
}

HDC CGdiPlusButton::PaintParentBackground(HDC dc, const RECT& rect) {
    HWND hwnd = GetSafeHwnd();
    HWND parent = hwnd ? GetParent(hwnd) : nullptr;
    if (!parent)
        return dc;
    RECT mapped = rect;
    MapWindowPoints(hwnd, parent, reinterpret_cast<POINT*>(&mapped), 2);
    // The parent paints in its own coordinates; the origin puts the part behind
    // the button at the bitmap's corner.
    POINT oldOrigin = {0, 0};
    SetWindowOrgEx(dc, mapped.left, mapped.top, &oldOrigin);
    CRegionOwner clip(CreateRectRgnIndirect(&rect));
    SelectClipRgn(dc, clip.Get());
    SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SelectClipRgn(dc, nullptr);
    SetWindowOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    return dc;
}

boost::shared_ptr<Gdiplus::GraphicsPath>
CGdiPlusButton::CreateRoundedRectPath(int left, int top, int width, int height, int diameter) {
    int d = std::min(diameter, std::min(width, height));
    boost::shared_ptr<Gdiplus::GraphicsPath> path = MakeSharedPath();
    path->AddArc(left, top, d, d, 180.0f, 90.0f);
    path->AddArc(left + width - d - 1, top, d, d, 270.0f, 90.0f);
    path->AddArc(left + width - d - 1, top + height - d - 1, d, d, 0.0f, 90.0f);
    path->AddArc(left, top + height - d - 1, d, d, 90.0f, 90.0f);
    path->CloseFigure();
    return path;
}

void CGdiPlusButton::DrawRoundedFrame(const GraphicsPtr& graphics, Gdiplus::Rect* rect,
                                      Gdiplus::ARGB colour, int diameter, float width) {
    auto path = CreateRoundedRectPath(rect->X, rect->Y, rect->Width, rect->Height, diameter);
    Gdiplus::Pen pen(Gdiplus::Color(colour), width);
    pen.SetAlignment(Gdiplus::PenAlignmentCenter);
    graphics->SetPageUnit(Gdiplus::UnitPixel);
    graphics->DrawPath(&pen, path.get());
}

void CGdiPlusButton::RenderFace(GraphicsPtr graphics, Gdiplus::Rect* rect) {
    // The face is filled over the inner half of the inner frame's stroke.
    Gdiplus::Rect face = *rect;
    DrawFrames(graphics, &face);
    if (m_bGradient)
        DrawGradientFace(graphics, &face);
    else
        DrawSolidFace(graphics, &face);
    DrawContent(graphics, rect);
}

void CGdiPlusButton::DrawFrames(GraphicsPtr graphics, Gdiplus::Rect* rect) {
    // The outer ring (when there is one) 2 pixels inside rect, the inner frame
    // 1 pixel further in.
    for (int inset = m_bOuterRing ? 2 : 1; inset > 0; --inset) {
        bool outer = inset == 2;
        rect->Inflate(-inset, -inset);
        DrawRoundedFrame(graphics, rect, outer ? m_clrOuter : m_clrBorder, m_nCornerDiameter,
                         outer ? m_fOuterWidth : m_fBorderWidth);
    }
}

void CGdiPlusButton::DrawGradientFace(GraphicsPtr graphics, Gdiplus::Rect* rect) {
    FillFace(graphics, rect, true);
}

void CGdiPlusButton::DrawSolidFace(GraphicsPtr graphics, Gdiplus::Rect* rect) {
    FillFace(graphics, rect, false);
}

void CGdiPlusButton::FillFace(const GraphicsPtr& graphics, Gdiplus::Rect* rect, bool gradient) {
    auto path =
        CreateRoundedRectPath(rect->X, rect->Y, rect->Width, rect->Height, m_nCornerDiameter);
    graphics->SetClip(path.get(), Gdiplus::CombineModeReplace);
    Gdiplus::ARGB top = m_clrNormalTop;
    Gdiplus::ARGB bottom = m_clrNormalBottom;
    if (m_nState == StateHot) {
        top = m_clrHotTop;
        bottom = m_clrHotBottom;
    } else if (m_nState == StatePressed) {
        top = m_clrPressedTop;
        bottom = m_clrPressedBottom;
    }
    FillArea(*graphics, *rect, top, bottom, gradient, path.get());
    if (GetSafeHwnd() && GetFocus() == GetSafeHwnd())
        DrawFocusRectangle(graphics, rect);
    if (m_bDefault && m_nState == StateNormal)
        DrawDefaultGlow(graphics, rect);
    graphics->ResetClip();
}

void CGdiPlusButton::DrawFocusRectangle(GraphicsPtr graphics, Gdiplus::Rect* rect) {
    if (!m_bEnabled || !m_bShowFocusRect)
        return;
    Gdiplus::Pen pen(Gdiplus::Color(m_clrFocus), 1.0f);
    pen.SetDashStyle(Gdiplus::DashStyleDot);
    // Anti-aliasing would smear the dots over two pixels.
    Gdiplus::SmoothingMode oldMode = graphics->GetSmoothingMode();
    graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
    graphics->DrawRectangle(&pen, rect->X + 1, rect->Y + 1, rect->Width - 3, rect->Height - 3);
    graphics->SetSmoothingMode(oldMode);
}

void CGdiPlusButton::DrawDefaultGlow(GraphicsPtr graphics, Gdiplus::Rect* rect) {
    float strength = static_cast<float>(m_clrGlow >> 24) * m_fGlow;
    Gdiplus::ARGB alpha = static_cast<Gdiplus::ARGB>(static_cast<int>(strength) & 0xFF);
    Gdiplus::ARGB colour = m_clrGlow & 0x00FFFFFF;
    FillArea(*graphics, *rect, colour, colour | alpha << 24, true);
}

inline std::vector<wchar_t> CGdiPlusButton::CaptionText() const {
    if (!m_strCaption.empty() || !GetSafeHwnd())
        return FwWiden(m_strCaption);
    std::string text;
    ReadWindowText(GetSafeHwnd(), text);
    return FwWiden(text);
}

void CGdiPlusButton::DrawContent(GraphicsPtr graphics, Gdiplus::Rect* rect) {
    std::vector<wchar_t> wide = CaptionText();
    const wchar_t* text = wide.data();
    bool hasText = text[0] != L'\0';
    FontPtr font = hasText ? CreateCaptionFont(graphics) : FontPtr();
    // Beside an image both are placed first; alone, the caption takes the whole
    // rect (the format centres it) and the image is placed in a copy.
    Gdiplus::Rect caption = *rect;
    if (m_spImage) {
        Gdiplus::Rect picture = *rect;
        if (hasText)
            DrawCaption(graphics, text, &caption, font, true);
        DrawPicture(graphics, m_spImage, &picture, true);
        if (hasText) {
            if (m_nImageAlign == AlignLeft && picture.Width > caption.X)
                caption.X = picture.Width + 5;
            else if (m_nImageAlign == AlignRight && caption.GetRight() > picture.X)
                caption.X = picture.X - caption.Width + 5;
        }
        DrawPicture(graphics, m_spImage, &picture, false);
        rect = &caption;
    }
    if (hasText)
        DrawCaption(graphics, text, rect, font, false);
}

void CGdiPlusButton::DrawCaption(GraphicsPtr graphics, const wchar_t* text, Gdiplus::Rect* rect,
                                 FontPtr font, bool placeOnly) {
    DrawCaptionGrown(graphics, text, rect, font, placeOnly, 1, 2);
}

void CGdiPlusButton::DrawCaptionGrown(const GraphicsPtr& graphics, const wchar_t* text,
                                      Gdiplus::Rect* rect, const FontPtr& font, bool placeOnly,
                                      int growWidth, int growHeight) {
    graphics->SetTextRenderingHint(m_nTextRenderingHint);
    if (placeOnly) {
        PlaceCaption(graphics, text, rect, font);
        return;
    }
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetHotkeyPrefix(m_bShowAccel ? Gdiplus::HotkeyPrefixShow : Gdiplus::HotkeyPrefixHide);
    format.SetTrimming(Gdiplus::StringTrimmingWord);
    Gdiplus::SolidBrush brush{Gdiplus::Color(m_bEnabled ? m_clrText : m_clrTextDisabled)};
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect->X), static_cast<Gdiplus::REAL>(rect->Y),
                          static_cast<Gdiplus::REAL>(rect->Width + growWidth),
                          static_cast<Gdiplus::REAL>(rect->Height + growHeight));
    graphics->DrawString(text, -1, font.get(), layout, &format, &brush);
}

Gdiplus::RectF CGdiPlusButton::MeasureCaption(Gdiplus::Graphics& graphics, const wchar_t* text,
                                              const Gdiplus::Font* font, int x, int y) {
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y), 0.0f, 0.0f);
    Gdiplus::RectF box;
    graphics.MeasureString(text, -1, font, layout, &box);
    return box;
}

void CGdiPlusButton::PlaceCaption(GraphicsPtr graphics, const wchar_t* text, Gdiplus::Rect* rect,
                                  FontPtr font) {
    Gdiplus::RectF box = MeasureCaption(*graphics, text, font.get(), rect->X, rect->Y);
    double tw = box.Width;
    double th = box.Height;
    int top = static_cast<int>(rect->Height / 2 - th * 0.5);
    int left = 0;
    if (m_nTextAlign == AlignLeft)
        left = rect->X + 5;
    else if (m_nTextAlign == AlignCenter)
        left = static_cast<int>(rect->Width / 2 - tw * 0.5);
    else if (m_nTextAlign == AlignRight)
        left = static_cast<int>(rect->Width - tw - 5.0);
    *rect = Gdiplus::Rect(left, top, static_cast<int>(tw), static_cast<int>(th));
}

CGdiPlusButton::FontPtr CGdiPlusButton::CreateCaptionFont(GraphicsPtr graphics) {
    {
        CGraphicsDC dc(*graphics);
        HFONT hfont = GetSafeHwnd()
                          ? reinterpret_cast<HFONT>(SendMessageA(GetSafeHwnd(), WM_GETFONT, 0, 0))
                          : nullptr;
        // A window without a font of its own borrows the system's GUI font.
        if (!hfont)
            hfont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        if (hfont && dc.Get()) {
            FontPtr font = MakeSharedFont(dc.Get(), hfont);
            if (font->GetLastStatus() == Gdiplus::Ok)
                return font;
        }
    }
    return MakeSharedFont(L"Arial", 12.0f, Gdiplus::UnitPoint);
}

void CGdiPlusButton::PlacePicture(GraphicsPtr, ImagePtr image, Gdiplus::Rect* rect) {
    int w = static_cast<int>(static_cast<float>(image->GetWidth()) * m_fImageScale);
    int h = static_cast<int>(static_cast<float>(image->GetHeight()) * m_fImageScale);
    int top = rect->Height / 2 - h / 2;
    int left = 0;
    if (m_nImageAlign == AlignLeft)
        left = rect->X + 5;
    else if (m_nImageAlign == AlignCenter)
        left = rect->Width / 2 - w / 2;
    else if (m_nImageAlign == AlignRight)
        left = rect->Width - w - 5;
    *rect = Gdiplus::Rect(left, top, w, h);
}

void CGdiPlusButton::DrawPicture(GraphicsPtr graphics, ImagePtr image, Gdiplus::Rect* rect,
                                 bool placeOnly) {
    if (placeOnly) {
        PlacePicture(graphics, image, rect);
        return;
    }
    if (m_bEnabled) {
        graphics->DrawImage(image.get(), *rect);
        return;
    }
    // Disabled: luminance grey at half strength.
    static const Gdiplus::ColorMatrix grey = {{
        {0.299f, 0.299f, 0.299f, 0.0f, 0.0f},
        {0.587f, 0.587f, 0.587f, 0.0f, 0.0f},
        {0.114f, 0.114f, 0.114f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f, 0.5f, 0.0f},
        {0.0f, 0.0f, 0.0f, 0.0f, 1.0f},
    }};
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&grey);
    graphics->DrawImage(image.get(), *rect, 0, 0, static_cast<INT>(image->GetWidth()),
                        static_cast<INT>(image->GetHeight()), Gdiplus::UnitPixel, &attributes);
}

// ---------------------------------------------------------------- messages

inline void CGdiPlusButton::OnSize() {
    HWND hwnd = GetSafeHwnd();
    GetClientRect(hwnd, &m_rcClient);
    {
        Gdiplus::Graphics graphics(hwnd);
        auto path = CreateRoundedRectPath(0, 0, m_rcClient.right - m_rcClient.left,
                                          m_rcClient.bottom - m_rcClient.top, m_nCornerDiameter);
        Gdiplus::Region region(path.get());
        CRegionOwner rgn(region.GetHRGN(&graphics));
        // The window owns the region once SetWindowRgn succeeds.
        if (rgn.Get() && SetWindowRgn(hwnd, rgn.Get(), FALSE))
            rgn.Detach();
    }
    RepaintNow();
}

inline void CGdiPlusButton::RestartGlowTimer() {
    KillTimer(GetSafeHwnd(), GlowTimerId);
    SetTimer(GetSafeHwnd(), GlowTimerId, GlowTimerPeriod, nullptr);
}

inline void CGdiPlusButton::PostClick() {
    HWND hwnd = GetSafeHwnd();
    // Posted: the parent acts (and may end a dialog) after this message returns.
    PostMessageA(GetParent(hwnd), WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

inline void CGdiPlusButton::OnMouseMove() {
    if (!m_bTracking) {
        TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, GetSafeHwnd(), 1};
        m_bTracking = TrackMouseEvent(&track);
    }
    if (!m_bHover) {
        m_bHover = TRUE;
        if (m_bEnabled) {
            m_nState = StateHot;
            RepaintNow();
        }
    }
}

inline void CGdiPlusButton::OnMouseHover(POINT point) {
    m_bHover = TRUE;
    if (PtInRect(&m_rcClient, point) && m_bEnabled) {
        KillTimer(GetSafeHwnd(), GlowTimerId);
        m_fGlow = 0.0f;
    }
    RepaintNow();
}

inline void CGdiPlusButton::OnMouseLeave() {
    m_bHover = FALSE;
    m_bTracking = FALSE;
    m_bPressed = FALSE;
    if (m_bEnabled) {
        m_nState = StateNormal;
        RestartGlowTimer();
        RepaintNow();
    }
}

inline void CGdiPlusButton::OnLButtonDown(POINT point) {
    if (!m_bEnabled)
        return;
    if (PtInRect(&m_rcClient, point)) {
        m_bPressed = TRUE;
        m_nState = StatePressed;
        // Focus first: taking it restarts the glow timer, which a press stops.
        SetFocus(GetSafeHwnd());
        KillTimer(GetSafeHwnd(), GlowTimerId);
    }
    RepaintNow();
}

inline void CGdiPlusButton::OnLButtonUp(POINT point) {
    if (!m_bEnabled || !m_bPressed)
        return;
    m_bPressed = FALSE;
    if (PtInRect(&m_rcClient, point)) {
        m_nState = StateHot;
        PostClick();
    } else {
        m_nState = StateNormal;
        RestartGlowTimer();
    }
    RepaintNow();
}

inline void CGdiPlusButton::OnGlowTimer() {
    if (!m_bPulse) {
        KillTimer(GetSafeHwnd(), GlowTimerId);
        m_fGlow = 0.25f;
        RepaintNow();
    }
    if (m_fGlow < 0.5f && !m_bGlowFalling) {
        m_fGlow += 0.01f;
        if (m_fGlow >= 0.5f)
            m_fGlow = 0.5f;
    } else {
        m_fGlow -= 0.01f;
        m_bGlowFalling = true;
        if (m_fGlow <= 0.0f) {
            m_fGlow = 0.0f;
            m_bGlowFalling = false;
        }
    }
    RepaintNow();
}

LRESULT CGdiPlusButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: {
        CFwPaintDC dc(GetSafeHwnd());
        DrawButton(dc.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        // Printed as it is shown, not as the system button would draw itself.
        DrawButton(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SIZE:
        OnSize();
        return 0;
    // The mouse is ours alone: the system button never sees a press, so it never
    // captures the mouse or clicks on its own.
    case WM_MOUSEMOVE:
        OnMouseMove();
        return 0;
    case WM_MOUSEHOVER:
        OnMouseHover(point);
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(point);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(point);
        return 0;
    case WM_LBUTTONDBLCLK:
        // The second press of a double click is a click of its own.
        OnLButtonDown(point);
        OnLButtonUp(point);
        return 0;
    case WM_TIMER:
        if (wParam != GlowTimerId)
            break;
        OnGlowTimer();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_BUTTON | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
        // Kept from the system button: its style, and so its own look, never change.
        m_bDefault = (wParam & BS_DEFPUSHBUTTON) != 0;
        if (LOWORD(lParam))
            RepaintNow();
        return 0;
    default:
        break;
    }

    // The system button paints itself directly while handling these; our face is
    // painted after it, so it is what stays on the screen.
    switch (message) {
    case WM_ENABLE:
        m_bEnabled = wParam != FALSE;
        if (!m_bEnabled)
            m_nState = StateNormal;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case BM_SETSTATE:
        break;
    default:
        return Default();
    }
    LRESULT result = Default();
    switch (message) {
    case WM_SETFOCUS:
        if (m_bEnabled)
            RestartGlowTimer();
        break;
    case WM_KILLFOCUS:
        if (!m_bPulse)
            RestartGlowTimer();
        break;
    case WM_SETTEXT:
        if (result)
            m_strCaption = lParam ? reinterpret_cast<const char*>(lParam) : "";
        break;
    case WM_UPDATEUISTATE:
        // Once the accelerators have been shown (Alt), they stay.
        if (LOWORD(wParam) == UIS_CLEAR && (HIWORD(wParam) & UISF_HIDEACCEL))
            m_bShowAccel = true;
        break;
    case BM_SETSTATE:
        // Space held down on the focused button: show it pressed.
        if (m_bEnabled)
            m_nState = wParam ? StatePressed : (m_bHover ? StateHot : StateNormal);
        break;
    default:
        break;
    }
    RepaintNow();
    return result;
}
