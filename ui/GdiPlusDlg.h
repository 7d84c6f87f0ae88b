#pragma once
// A dialog whose whole background is painted with GDI+: rendered once per size
// into an off-screen bitmap, kept as a cached bitmap, and only blitted on every
// paint. Children ask for the background behind them with WM_PRINTCLIENT.
#include "framework/FwDialog.h"
#include "framework/FwGdiplusClasses.h"

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
    virtual void OnSize(UINT type, int cx, int cy);

    boost::shared_ptr<Gdiplus::CachedBitmap> m_spCachedBackground;
    bool m_bBackgroundDirty = true;
    RECT m_rcClient = {0, 0, 0, 0};
    int m_nFillMode = FillVerticalGradient;
    Gdiplus::ARGB m_clrTop = 0xFFFAFAFA;
    Gdiplus::ARGB m_clrBottom = 0xFFD9D9D9;

private:
    // Posts the dialog's client size to every descendant; param is the dialog.
    static BOOL CALLBACK ResizeChildrenProc(HWND hwnd, LPARAM param);
    void RenderBackground(Gdiplus::Graphics& target);
};
