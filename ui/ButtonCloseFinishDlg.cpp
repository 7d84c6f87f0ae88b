#include "ui/ButtonCloseFinishDlg.h"

#include "framework/FwString.h"
#include "framework/FwWnd.h"

CButtonCloseFinishDlg::CButtonCloseFinishDlg() {
    SetRoundedFrame(true, 10);
    SetBorder(0xFF4E5A68, 1.0f);
    SetOuterBorder(0xFFD0D0D0, 4.0f);
    m_nTextRenderingHint = Gdiplus::TextRenderingHintAntiAlias;
    SetShowFocusRect(false);
}

CButtonCloseFinishDlg::~CButtonCloseFinishDlg() = default;

CGdiPlusButton::FontPtr CButtonCloseFinishDlg::CreateCaptionFont(GraphicsPtr) {
    return boost::make_shared<Gdiplus::Font>(L"Arial", 14.0f, Gdiplus::FontStyleRegular,
                                             Gdiplus::UnitPixel);
}

void CButtonCloseFinishDlg::DrawCaption(GraphicsPtr graphics, const wchar_t* text,
                                        Gdiplus::Rect* rect, FontPtr font, bool placeOnly) {
    graphics->SetTextRenderingHint(m_nTextRenderingHint);
    if (placeOnly) {
        PlaceCaption(graphics, text, rect, font);
        return;
    }
    // The rectangle exactly, without the base's widening: the caption is centred in
    // the face it was fitted to.
    DrawCaptionText(*graphics, text,
                    Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect->X),
                                   static_cast<Gdiplus::REAL>(rect->Y),
                                   static_cast<Gdiplus::REAL>(rect->Width),
                                   static_cast<Gdiplus::REAL>(rect->Height)),
                    *font);
}

void CButtonCloseFinishDlg::FitToText(std::string caption) {
    HWND hwnd = GetSafeHwnd();
    CFwClientDC dc(hwnd);
    if (!dc.Get())
        return;
    GraphicsPtr graphics = boost::make_shared<Gdiplus::Graphics>(dc.Get());
    std::vector<wchar_t> wide = FwWiden(caption);
    const wchar_t* text = wide.data();
    FontPtr font = CreateCaptionFont(graphics);

    RECT client = {};
    GetClientRect(hwnd, &client);
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(client.left),
                          static_cast<Gdiplus::REAL>(client.top), 0.0f, 0.0f);
    Gdiplus::RectF box;
    graphics->MeasureString(text, -1, font.get(), layout, &box);
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
