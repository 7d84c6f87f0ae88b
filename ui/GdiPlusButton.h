#pragma once
// A push button painted entirely with GDI+: rounded window region, state-coloured
// gradient face over the parent's own background, frames, caption, optional image,
// focus rectangle and a glow on the default button. Mouse clicks are its own;
// keys go through the system button and the dialog manager.
#include "framework/FwGdiplusClasses.h"
#include "framework/FwWnd.h"

#include <string>
#include <vector>

class CGdiPlusButton : public CFwWnd {
public:
    enum State {
        StateNormal = 0,
        StateHot = 1,
        StatePressed = 2,
    };
    enum Align {
        AlignLeft = 0,
        AlignCenter = 1,
        AlignRight = 2,
    };
    // The window timer of the glow, and its period in milliseconds.
    enum { GlowTimerId = 2, GlowTimerPeriod = 50 };

    CGdiPlusButton() = default;
    ~CGdiPlusButton() override;

    // A "BUTTON" window; a default push button takes the keyboard focus.
    bool Create(const char* caption, DWORD style, const RECT& rect, HWND parent, UINT id) {
        if (!CFwWnd::CreateEx(0, "BUTTON", caption, style, rect, parent, id))
            return false;
        if (style & BS_DEFPUSHBUTTON)
            SetFocus(GetSafeHwnd());
        if (m_strCaption.empty() && caption)
            m_strCaption = caption;
        return true;
    }
    // className null or empty means "BUTTON".
    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, HWND parent, UINT id) override;

    // Settings; each repaints at once when the window exists.
    void SetRoundedFrame(bool outerRing, int diameter) {
        m_bOuterRing = outerRing;
        m_nCornerDiameter = diameter;
        RepaintNow();
    }
    void SetBorder(Gdiplus::ARGB colour, float width) {
        m_clrBorder = colour;
        m_fBorderWidth = width;
        RepaintNow();
    }
    void SetOuterBorder(Gdiplus::ARGB colour, float width) {
        m_clrOuter = colour;
        m_fOuterWidth = width;
        RepaintNow();
    }
    void SetShowFocusRect(bool show) {
        m_bShowFocusRect = show;
        RepaintNow();
    }

    // Renders the face when dirty, then draws the cached face at (0, 0).
    virtual void DrawButton(HDC dc);

    int GetState() const { return m_nState; }
    const std::string& GetCaption() const { return m_strCaption; }

protected:
    typedef boost::shared_ptr<Gdiplus::Graphics> GraphicsPtr;
    typedef boost::shared_ptr<Gdiplus::Font> FontPtr;
    typedef boost::shared_ptr<Gdiplus::Image> ImagePtr;

    // The drawing steps, in this order; rect may be changed by the step.
    virtual void DrawCaption(GraphicsPtr graphics, const wchar_t* text, Gdiplus::Rect* rect,
                             FontPtr font, bool placeOnly);
    virtual void PlaceCaption(GraphicsPtr graphics, const wchar_t* text, Gdiplus::Rect* rect,
                              FontPtr font);
    virtual FontPtr CreateCaptionFont(GraphicsPtr graphics);
    virtual void DrawPicture(GraphicsPtr graphics, ImagePtr image, Gdiplus::Rect* rect,
                             bool placeOnly);
    virtual void PlacePicture(GraphicsPtr graphics, ImagePtr image, Gdiplus::Rect* rect);
    virtual void DrawContent(GraphicsPtr graphics, Gdiplus::Rect* rect);
    virtual void DrawSolidFace(GraphicsPtr graphics, Gdiplus::Rect* rect);
    virtual void DrawGradientFace(GraphicsPtr graphics, Gdiplus::Rect* rect);
    virtual void DrawFrames(GraphicsPtr graphics, Gdiplus::Rect* rect);
    virtual void RenderFace(GraphicsPtr graphics, Gdiplus::Rect* rect);
    virtual void DrawFocusRectangle(GraphicsPtr graphics, Gdiplus::Rect* rect);
    virtual void DrawDefaultGlow(GraphicsPtr graphics, Gdiplus::Rect* rect);

    // A rectangle with quarter-circle corners, each in a diameter-sized square.
    boost::shared_ptr<Gdiplus::GraphicsPath> CreateRoundedRectPath(int left, int top, int width,
                                                                   int height, int diameter);
    void DrawRoundedFrame(const GraphicsPtr& graphics, Gdiplus::Rect* rect, Gdiplus::ARGB colour,
                          int diameter, float width);
    // DrawCaption's work, the layout rectangle being rect grown by growWidth and
    // growHeight pixels.
    void DrawCaptionGrown(const GraphicsPtr& graphics, const wchar_t* text, Gdiplus::Rect* rect,
                          const FontPtr& font, bool placeOnly, int growWidth, int growHeight);
    // The bounding box of the whole text laid out from (x, y) without a format.
    static Gdiplus::RectF MeasureCaption(Gdiplus::Graphics& graphics, const wchar_t* text,
                                         const Gdiplus::Font* font, int x, int y);
    // Paints the parent's client area behind rect (client coordinates) into dc.
    HDC PaintParentBackground(HDC dc, const RECT& rect);

    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Marks the face dirty and paints it now, without erasing.
    void RepaintNow();

    RECT m_rcClient = {0, 0, 0, 0};
    bool m_bDirty = true;
    BOOL m_bTracking = FALSE;
    BOOL m_bHover = FALSE;
    BOOL m_bPressed = FALSE;
    int m_nState = StateNormal;
    boost::shared_ptr<Gdiplus::CachedBitmap> m_spCachedFace;
    std::string m_strCaption;
    bool m_bShowAccel = false;
    float m_fGlow = 0.0f;
    bool m_bGlowFalling = false;
    bool m_bDefault = false;
    bool m_bEnabled = true;
    int m_nCornerDiameter = 5;
    float m_fBorderWidth = 1.0f;
    // Set by SetOuterBorder before the ring is drawn; the defaults are the finish
    // screen's ring.
    float m_fOuterWidth = 4.0f;
    Gdiplus::ARGB m_clrText = 0xFFFFFFFF;
    bool m_bOuterRing = false;
    int m_nTextAlign = AlignCenter;
    Gdiplus::ARGB m_clrBorder = 0xFF262E3B;
    Gdiplus::ARGB m_clrOuter = 0xFFD0D0D0;
    ImagePtr m_spImage;
    bool m_bGradient = true;
    Gdiplus::ARGB m_clrNormalTop = 0xFF8894A2;
    Gdiplus::ARGB m_clrNormalBottom = 0xFF262E3B;
    Gdiplus::ARGB m_clrPressedTop = 0xFF6A767A;
    Gdiplus::ARGB m_clrPressedBottom = 0xFF3A424F;
    Gdiplus::ARGB m_clrHotTop = 0xFF8894A2;
    Gdiplus::ARGB m_clrHotBottom = 0xFF4E5663;
    Gdiplus::ARGB m_clrTextDisabled = 0xFF708A90;
    Gdiplus::ARGB m_clrFocus = 0xFFD3D3D3;
    int m_nImageAlign = AlignLeft;
    float m_fImageScale = 1.0f;
    Gdiplus::TextRenderingHint m_nTextRenderingHint = Gdiplus::TextRenderingHintAntiAliasGridFit;
    Gdiplus::ARGB m_clrGlow = 0xFFFFFFFF;
    bool m_bShowFocusRect = true;
    bool m_bPulse = false;

private:
    // The face of the state inside the rounded clip, then focus rectangle and glow.
    void FillFace(const GraphicsPtr& graphics, Gdiplus::Rect* rect, bool gradient);
    void OnSize();
    void OnMouseMove();
    void OnMouseHover(POINT point);
    void OnMouseLeave();
    void OnLButtonDown(POINT point);
    void OnLButtonUp(POINT point);
    void OnGlowTimer();
    void RestartGlowTimer();
    void PostClick();
    // The caption, or the window text when there is none, null-terminated.
    std::vector<wchar_t> CaptionText() const;
};
