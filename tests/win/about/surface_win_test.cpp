// The drawing library on real windows under Wine: frames reach the window,
// hidden windows get no frame, and a window larger than the back buffer
// never makes it write outside the buffer.
#include "about/about_font.h"
#include "about/credits_animation.h"
#include "about/surface.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const wchar_t kClass[] = L"PellamSurfTest";

void Pump() {
    for (int i = 0; i < 20; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

struct Window {
    HWND hwnd = nullptr;
    Window(int x, int y, int w, int h, bool topmost = false) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kClass;
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            RegisterClassW(&wc); // no background brush: nothing erases our frames
            registered = true;
        }
        hwnd = CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, kClass, L"surf", WS_POPUP | WS_VISIBLE,
                               x, y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        Pump();
    }
    ~Window() {
        if (hwnd) DestroyWindow(hwnd);
    }
};

// Reads the window's client pixels back through a 32-bit top-down DIB.
std::vector<uint32_t> ReadBack(HWND hwnd, int w, int h) {
    std::vector<uint32_t> out(size_t(w) * h);
    HDC dc = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = p[i] & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(hwnd, dc);
    return out;
}

void PaintWhite(HWND hwnd, int w, int h) {
    HDC dc = GetDC(hwnd);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(hwnd, dc);
    GdiFlush();
}

TEST(SurfaceWin, FrameIsCopiedToTheWindow) {
    Window win(40, 40, 400, 320);
    ASSERT_NE(win.hwnd, nullptr);
    ASSERT_TRUE(SurfInit(400, 320));
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    ASSERT_NE(SurfCurrentFont, nullptr);
    ASSERT_TRUE(SurfBeginFrame(win.hwnd));
    EXPECT_TRUE(SurfFrameActive());
    SurfFillRect(0, 0, 400, 320, 0xFF0000);
    SurfPutPixel(10, 10, 0x0000FF);
    SurfFillRect(300, 200, 20, 10, 0x00FF00);
    SurfEndFrame();
    EXPECT_FALSE(SurfFrameActive());
    std::vector<uint32_t> px = ReadBack(win.hwnd, 400, 320);
    EXPECT_EQ(px[5 * 400 + 5], 0xFF0000u);
    EXPECT_EQ(px[10 * 400 + 10], 0x0000FFu);
    EXPECT_EQ(px[205 * 400 + 310], 0x00FF00u);
    EXPECT_EQ(px[319 * 400 + 399], 0xFF0000u);
    SurfShutdown();
}

TEST(SurfaceWin, MinimisedOrCoveredWindowGetsNoFrame) {
    ASSERT_TRUE(SurfInit(400, 320));
    {
        Window win(40, 40, 400, 320);
        ShowWindow(win.hwnd, SW_MINIMIZE);
        Pump();
        EXPECT_FALSE(SurfBeginFrame(win.hwnd));
        EXPECT_FALSE(SurfFrameActive());
        ShowWindow(win.hwnd, SW_RESTORE);
        Pump();
        EXPECT_TRUE(SurfBeginFrame(win.hwnd));
        SurfEndFrame();
    }
    {
        Window below(100, 100, 200, 150);
        Window above(50, 50, 400, 300, true);
        EXPECT_FALSE(SurfBeginFrame(below.hwnd));
        EXPECT_FALSE(SurfFrameActive());
        // Partly covered: the frame goes ahead.
        SetWindowPos(above.hwnd, nullptr, 250, 50, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
        EXPECT_TRUE(SurfBeginFrame(below.hwnd));
        SurfEndFrame();
        // Hidden windows have nothing visible either.
        ShowWindow(above.hwnd, SW_HIDE);
        ShowWindow(below.hwnd, SW_HIDE);
        Pump();
        EXPECT_FALSE(SurfBeginFrame(below.hwnd));
    }
    SurfShutdown();
}

TEST(SurfaceWin, WindowLargerThanTheBackBufferGetsOnlyTheBuffer) {
    Window win(0, 0, 800, 600);
    PaintWhite(win.hwnd, 800, 600);
    ASSERT_TRUE(SurfInit(400, 320));
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    ASSERT_TRUE(SurfBeginFrame(win.hwnd));
    SurfFillRect(0, 0, 800, 600, 0xFF0000);
    SurfFillRect(-10, -10, 2000, 2000, 0xFF0000);
    SurfDrawText(395, 315, "WWWW\nWWWW", 0x00FF00);
    SurfDrawText(700, 500, "W", 0x00FF00);
    SurfPutPixel(799, 599, 0x00FF00);
    SurfPutPixel(400, 10, 0x00FF00);
    SurfEndFrame();
    std::vector<uint32_t> px = ReadBack(win.hwnd, 800, 600);
    EXPECT_EQ(px[100 * 800 + 100], 0xFF0000u);
    EXPECT_EQ(px[319 * 800 + 399], 0xFF0000u);
    EXPECT_EQ(px[100 * 800 + 400], 0xFFFFFFu); // strip right of the buffer
    EXPECT_EQ(px[320 * 800 + 100], 0xFFFFFFu); // strip below it
    EXPECT_EQ(px[599 * 800 + 799], 0xFFFFFFu);
    // The buffer's own last pixel is still intact after the clipped writes.
    const SurfImage* img = SurfBackBuffer();
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(img->pixels)[0], 0xFF0000u); // (0, 319)
    SurfShutdown();
}

TEST(SurfaceWin, AboutFrameReachesTheWindowUpright) {
    Window win(60, 60, 400, 320);
    ASSERT_TRUE(SurfInit(400, 320));
    SurfCurrentFont = SurfLoadFont(kAboutFont, kAboutFontSize);
    AboutAnimation anim;
    OpenAboutAnimation(anim);
    for (int i = 0; i < 150; ++i) {
        ASSERT_TRUE(SurfBeginFrame(win.hwnd));
        ComposeAboutFrame(anim, kCreditText.text, "1.0.0.42");
        SurfEndFrame();
    }
    std::vector<uint32_t> px = ReadBack(win.hwnd, 400, 320);
    // Stars of this frame's phase and the white version line near the top.
    int white = 0;
    for (int y = 40; y < 54; ++y)
        for (int x = 40; x < 200; ++x)
            white += px[y * 400 + x] == 0xFFFFFF;
    EXPECT_GT(white, 100);
    int yellow = 0, green = 0;
    for (int y = 70; y < 84; ++y)
        for (int x = 0; x < 400; ++x)
            yellow += px[y * 400 + x] == 0xFFFF00;
    for (int y = 270; y < 284; ++y)
        for (int x = 0; x < 400; ++x)
            green += px[y * 400 + x] == 0x00FF00;
    EXPECT_GT(yellow, 100);
    EXPECT_GT(green, 100);
    // PELLAM_FRAME_DUMP=path.ppm keeps the frame as a picture to look at.
    if (const char* path = std::getenv("PELLAM_FRAME_DUMP")) {
        if (FILE* f = std::fopen(path, "wb")) {
            std::fprintf(f, "P6\n400 320\n255\n");
            for (uint32_t p : px) {
                unsigned char rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
                std::fwrite(rgb, 1, 3, f);
            }
            std::fclose(f);
        }
    }
    SurfShutdown();
}

} // namespace
