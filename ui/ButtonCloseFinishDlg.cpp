#include "ui/ButtonCloseFinishDlg.h"

#include "framework/FwString.h"
#include "framework/FwWnd.h"
#include "ui/GdiPlusDlg.h"

CButtonCloseFinishDlg::CButtonCloseFinishDlg() {
    SetRoundedFrame(true, 10);
    SetBorder(0xFF4E5A68, 1.0f);
    SetOuterBorder(0xFFD0D0D0, 4.0f);
    m_nTextRenderingHint = Gdiplus::TextRenderingHintAntiAlias;
    SetShowFocusRect(false);
}

CButtonCloseFinishDlg::~CButtonCloseFinishDlg() = default;

CGdiPlusButton::FontPtr CButtonCloseFinishDlg::CreateCaptionFont(GraphicsPtr) {
    return MakeSharedFont(L"Arial", 14.0f, Gdiplus::UnitPixel);
}

void CButtonCloseFinishDlg::DrawCaption(GraphicsPtr graphics, const wchar_t* text,
                                        Gdiplus::Rect* rect, FontPtr font, bool placeOnly) {
    // The rectangle exactly, without the base's widening: the caption is centred in
    // the face it was fitted to.
    DrawCaptionGrown(graphics, text, rect, font, placeOnly, 0, 0);
}

void CButtonCloseFinishDlg::FitToText(const std::string& caption) {
    HWND hwnd = GetSafeHwnd();
    CFwClientDC dc(hwnd);
    if (!dc.Get())
        return;
    GraphicsPtr graphics = MakeSharedGraphics(dc.Get());
    std::vector<wchar_t> wide = FwWiden(caption);
    FontPtr font = CreateCaptionFont(graphics);

    RECT client = {};
    GetClientRect(hwnd, &client);
    Gdiplus::RectF box =
        MeasureCaption(*graphics, wide.data(), font.get(), client.left, client.top);
    float tw = box.Width;
    float th = box.Height;

    RECT parent = {};
    GetClientRect(GetParent(hwnd), &parent);
    float pw = static_cast<float>(parent.right - parent.left);
    float ph = static_cast<float>(parent.bottom - parent.top);
    float m = static_cast<float>(m_nMargin);
    // Truncating, as measured: the edges land 5 pixels from the parent's, or 6
    // when the caption's size has a fraction.
    SetWindowPos(hwnd, nullptr, static_cast<int>(pw - tw - m - 5),
                 static_cast<int>(ph - th - m - 5), static_cast<int>(m + tw),
                 static_cast<int>(m + th), 0);
}
