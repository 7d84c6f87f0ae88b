#pragma once
// The finish screen's one button: a rounded frame with a light outer ring, an
// Arial 14 px caption, and a size and place taken from that caption.
#include <string>

#include "ui/GdiPlusButton.h"

class CButtonCloseFinishDlg : public CGdiPlusButton {
public:
    CButtonCloseFinishDlg();
    ~CButtonCloseFinishDlg() override;

    // Sizes the button to the measured caption plus the margin and puts it at the
    // bottom right of its parent's client area.
    void FitToText(const std::string& caption);

protected:
    void DrawCaption(GraphicsPtr graphics, const wchar_t* text, Gdiplus::Rect* rect, FontPtr font,
                     bool placeOnly) override;
    FontPtr CreateCaptionFont(GraphicsPtr graphics) override;

    int m_nMargin = 20;
};
