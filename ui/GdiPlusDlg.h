#pragma once
// A dialog whose whole background is painted with GDI+: rendered once per size
// into an off-screen bitmap, kept as a cached bitmap, and only blitted on every
// paint. Children ask for the background behind them with WM_PRINTCLIENT.
#include "framework/FwDialog.h"
#include "framework/FwGdiplusClasses.h"

// GDI+ helpers of the finish screen's dialog and button.

// GDI+ objects under shared owners, all made in GdiPlusDlg.cpp: every file that
// makes one carries its own copy of the owners' type names and of the start-up code
// that sets them.
boost::shared_ptr<Gdiplus::Graphics> MakeSharedGraphics(HDC dc);
boost::shared_ptr<Gdiplus::GraphicsPath> MakeSharedPath();
// From the font's LOGFONT, or from the device context's font when that cannot be read.
boost::shared_ptr<Gdiplus::Font> MakeSharedFont(HDC dc, HFONT font);
boost::shared_ptr<Gdiplus::Font> MakeSharedFont(const wchar_t* family, float emSize,
                                                Gdiplus::Unit unit);

// An off-screen 32-bit ARGB bitmap, drawn into through a shared Graphics and then
// cached for drawing on a target.
class CGdiplusOffscreen {
public:
    // A size of 0 makes no bitmap.
    CGdiplusOffscreen(int width, int height);
    CGdiplusOffscreen(const CGdiplusOffscreen&) = delete;
    CGdiplusOffscreen& operator=(const CGdiplusOffscreen&) = delete;
    ~CGdiplusOffscreen();

    // Draws into the bitmap; empty when there is no bitmap.
    const boost::shared_ptr<Gdiplus::Graphics>& GetGraphics() const { return m_graphics; }
    // Lets go of the Graphics, then returns the bitmap cached for target (empty when
    // GDI+ cannot cache it).
    boost::shared_ptr<Gdiplus::CachedBitmap> Cache(Gdiplus::Graphics& target);

private:
    Gdiplus::Bitmap m_bitmap;
    boost::shared_ptr<Gdiplus::Graphics> m_graphics;
};

// Fills rect, or only path when one is given, with top's colour, or with a vertical
// gradient from top to bottom.
void FillArea(Gdiplus::Graphics& graphics, const Gdiplus::RectF& rect, Gdiplus::ARGB top,
              Gdiplus::ARGB bottom, bool gradient, const Gdiplus::GraphicsPath* path = nullptr);
inline void FillArea(Gdiplus::Graphics& graphics, const Gdiplus::Rect& rect, Gdiplus::ARGB top,
                     Gdiplus::ARGB bottom, bool gradient,
                     const Gdiplus::GraphicsPath* path = nullptr) {
    FillArea(graphics,
             Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.X), static_cast<Gdiplus::REAL>(rect.Y),
                            static_cast<Gdiplus::REAL>(rect.Width),
                            static_cast<Gdiplus::REAL>(rect.Height)),
             top, bottom, gradient, path);
}

class CGdiPlusDlg : public CFwDialog {
public:
    enum FillMode {
        FillSolid = 0,
        FillVerticalGradient = 1,
    };

    CGdiPlusDlg(UINT templateId, HWND parent);
    ~CGdiPlusDlg() override;

    // Draws the background into dc (null: nothing), rendering it first when dirty.
    virtual void DrawBackground(HDC dc);
    // Paints the background into the off-screen bitmap that graphics draws into.
    virtual void FillBackground(boost::shared_ptr<Gdiplus::Graphics> graphics, int x, int y,
                                int width, int height, int mode);

protected:
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    boost::shared_ptr<Gdiplus::CachedBitmap> m_spCachedBackground;
    bool m_bBackgroundDirty = true;
    RECT m_rcClient = {0, 0, 0, 0};
    int m_nFillMode = FillVerticalGradient;
    Gdiplus::ARGB m_clrTop = 0xFFFAFAFA;
    Gdiplus::ARGB m_clrBottom = 0xFFD9D9D9;

private:
    void OnSize(UINT type, int cx, int cy);
    // Posts the dialog's client size to every descendant; param is the dialog.
    static BOOL CALLBACK ResizeChildrenProc(HWND hwnd, LPARAM param);
    void RenderBackground(Gdiplus::Graphics& target);
};
