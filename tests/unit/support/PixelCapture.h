#pragma once
// Pixels a window paints, read back from a memory bitmap (finish-screen and button
// tests).
#include <windows.h>

#include <cstdint>
#include <vector>

// A 32-bit top-down memory bitmap, pre-filled with one colour, that a window
// paints its client area into through WM_PRINTCLIENT.
class CPixelCapture {
public:
    CPixelCapture(int width, int height, uint32_t fill = 0x00123456)
        : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i)
            static_cast<uint32_t*>(m_bits)[i] = fill;
    }
    CPixelCapture(const CPixelCapture&) = delete;
    CPixelCapture& operator=(const CPixelCapture&) = delete;
    ~CPixelCapture() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }

    HDC Dc() const { return m_dc; }
    LRESULT PrintClient(HWND hwnd) {
        LRESULT r = SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT);
        GdiFlush();
        return r;
    }
    // 0x00RRGGBB
    uint32_t At(int x, int y) const {
        return static_cast<const uint32_t*>(m_bits)[y * m_width + x] & 0x00FFFFFF;
    }
    std::vector<uint32_t> Snapshot() const {
        GdiFlush();
        const uint32_t* p = static_cast<const uint32_t*>(m_bits);
        return std::vector<uint32_t>(p, p + m_width * m_height);
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};
