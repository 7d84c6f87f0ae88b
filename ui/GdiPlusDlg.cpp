#include "ui/GdiPlusDlg.h"

#include "framework/FwWnd.h"

CGdiPlusDlg::CGdiPlusDlg(UINT templateId, HWND parent) : CFwDialog(templateId, parent) {}

CGdiPlusDlg::~CGdiPlusDlg() {
    // Every GDI+ object must be gone before GDI+ is shut down.
    m_spCachedBackground.reset();
}

void CGdiPlusDlg::RenderBackground(Gdiplus::Graphics& target) {
    RECT rc = {};
    GetClientRect(GetSafeHwnd(), &rc);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    m_spCachedBackground.reset();
    // A zero-sized client area (minimised) has nothing to render; the next size
    // change marks the background dirty again.
    if (width > 0 && height > 0) {
        Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
        if (bitmap.GetLastStatus() == Gdiplus::Ok) {
            {
                boost::shared_ptr<Gdiplus::Graphics> graphics =
                    boost::make_shared<Gdiplus::Graphics>(&bitmap);
                FillBackground(graphics, rc.left, rc.top, rc.right, rc.bottom, m_nFillMode);
            }
            auto cached = boost::make_shared<Gdiplus::CachedBitmap>(&bitmap, &target);
            if (cached->GetLastStatus() == Gdiplus::Ok)
                m_spCachedBackground = cached;
        }
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

void CGdiPlusDlg::FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int x, int y,
                                 int width, int height, int mode) {
    Gdiplus::RectF rect(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                        static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height));
    if (mode == FillSolid) {
        Gdiplus::SolidBrush brush{Gdiplus::Color(m_clrTop)};
        graphics->FillRectangle(&brush, rect);
    } else if (mode == FillVerticalGradient) {
        Gdiplus::LinearGradientBrush brush(rect, Gdiplus::Color(m_clrTop),
                                           Gdiplus::Color(m_clrBottom),
                                           Gdiplus::LinearGradientModeVertical);
        // Mirrored, not plainly tiled: at some heights the first or last row falls a
        // hair outside the brush and a plain tile wraps it round to the other end's
        // colour, a dark line under the title bar.
        brush.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        graphics->FillRectangle(&brush, rect);
    }
}

void CGdiPlusDlg::OnSize(UINT, int, int) {
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
