#include "ui/GdiPlusDlg.h"

#include "framework/FwWnd.h"

boost::shared_ptr<Gdiplus::Graphics> MakeSharedGraphics(HDC dc) {
    return boost::make_shared<Gdiplus::Graphics>(dc);
}

boost::shared_ptr<Gdiplus::GraphicsPath> MakeSharedPath() {
    return boost::make_shared<Gdiplus::GraphicsPath>();
}

boost::shared_ptr<Gdiplus::Font> MakeSharedFont(HDC dc, HFONT font) {
    return boost::make_shared<Gdiplus::Font>(dc, font);
}

boost::shared_ptr<Gdiplus::Font> MakeSharedFont(const wchar_t* family, float emSize,
                                                Gdiplus::Unit unit) {
    return boost::make_shared<Gdiplus::Font>(family, emSize, Gdiplus::FontStyleRegular, unit);
}

CGdiplusOffscreen::CGdiplusOffscreen(int width, int height)
    : m_bitmap(width > 0 && height > 0 ? width : 0, height, PixelFormat32bppARGB),
      m_graphics(m_bitmap.GetLastStatus() == Gdiplus::Ok
                     ? boost::make_shared<Gdiplus::Graphics>(&m_bitmap)
                     : boost::shared_ptr<Gdiplus::Graphics>()) {}

CGdiplusOffscreen::~CGdiplusOffscreen() = default;

boost::shared_ptr<Gdiplus::CachedBitmap> CGdiplusOffscreen::Cache(Gdiplus::Graphics& target) {
    m_graphics.reset();
    auto cached = boost::make_shared<Gdiplus::CachedBitmap>(&m_bitmap, &target);
    if (cached->GetLastStatus() != Gdiplus::Ok)
        cached.reset();
    return cached;
}

CGdiPlusDlg::CGdiPlusDlg(UINT templateId, HWND parent) : CFwDialog(templateId, parent) {}

CGdiPlusDlg::~CGdiPlusDlg() = default;

inline void CGdiPlusDlg::RenderBackground(Gdiplus::Graphics& target) {
    RECT rc = {};
    GetClientRect(GetSafeHwnd(), &rc);
    m_spCachedBackground.reset();
    // A zero-sized client area (minimised) has nothing to render; the next size
    // change marks the background dirty again.
    CGdiplusOffscreen background(rc.right - rc.left, rc.bottom - rc.top);
    if (background.GetGraphics()) {
        FillBackground(background.GetGraphics(), rc.left, rc.top, rc.right, rc.bottom, m_nFillMode);
        m_spCachedBackground = background.Cache(target);
    }
    m_bBackgroundDirty = false;
}

void CGdiPlusDlg::DrawBackground(HDC dc) {
    if (!dc)
        return;
    Gdiplus::Graphics graphics(dc);
    if (m_bBackgroundDirty)
        RenderBackground(graphics);
    if (m_spCachedBackground)
        graphics.DrawCachedBitmap(m_spCachedBackground.get(), 0, 0);
}

namespace {

void FillWith(Gdiplus::Graphics& graphics, const Gdiplus::Brush& brush, const Gdiplus::RectF& rect,
              const Gdiplus::GraphicsPath* path) {
    if (path)
        graphics.FillPath(&brush, path);
    else
        graphics.FillRectangle(&brush, rect);
}

} // namespace

void FillArea(Gdiplus::Graphics& graphics, const Gdiplus::RectF& rect, Gdiplus::ARGB top,
              Gdiplus::ARGB bottom, bool gradient, const Gdiplus::GraphicsPath* path) {
    if (!gradient) {
        Gdiplus::SolidBrush brush{Gdiplus::Color(top)};
        FillWith(graphics, brush, rect, path);
        return;
    }
    Gdiplus::LinearGradientBrush brush(rect, Gdiplus::Color(top), Gdiplus::Color(bottom),
                                       Gdiplus::LinearGradientModeVertical);
    // Mirrored, not plainly tiled: at some heights the first or last row falls a
    // hair outside the brush and a plain tile wraps it round to the other end's
    // colour (a dark line under the title bar, or along the top of a face).
    brush.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    FillWith(graphics, brush, rect, path);
}

void CGdiPlusDlg::FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int x, int y,
                                 int width, int height, int mode) {
    Gdiplus::RectF rect(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                        static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height));
    if (mode == FillSolid || mode == FillVerticalGradient)
        FillArea(*graphics, rect, m_clrTop, m_clrBottom, mode == FillVerticalGradient);
}

inline void CGdiPlusDlg::OnSize(UINT, int, int) {
    GetClientRect(GetSafeHwnd(), &m_rcClient);
    EnumChildWindows(GetSafeHwnd(), &ResizeChildrenProc, reinterpret_cast<LPARAM>(this));
    m_bBackgroundDirty = true;
    RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
}

BOOL CALLBACK CGdiPlusDlg::ResizeChildrenProc(HWND hwnd, LPARAM param) {
    // The dialog comes through the parameter: a class-wide "current dialog" would
    // dangle once that dialog is gone, and would mix up two dialogs.
    const CGdiPlusDlg* dialog = reinterpret_cast<const CGdiPlusDlg*>(param);
    if (dialog && hwnd && IsWindow(hwnd)) {
        WORD width = static_cast<WORD>(dialog->m_rcClient.right - dialog->m_rcClient.left);
        WORD height = static_cast<WORD>(dialog->m_rcClient.bottom - dialog->m_rcClient.top);
        PostMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    }
    return TRUE;
}

bool CGdiPlusDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_ERASEBKGND:
        *result = TRUE;
        return true;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        *result = 0;
        return true;
    case WM_PAINT: {
        CFwPaintDC dc(GetSafeHwnd());
        DrawBackground(dc.Get());
        *result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        DrawBackground(reinterpret_cast<HDC>(wParam));
        break;
    default:
        break;
    }
    return CFwDialog::WindowProc(message, wParam, lParam, result);
}
