// A small RGBA canvas with the drawing primitives our resource pictures
// need, and writers for the Windows file formats the resource compiler
// takes (8-bit BMP, 32-bit icon, monochrome cursor).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Canvas {
    int width, height;
    std::vector<Rgb> pixels;
    std::vector<uint8_t> alpha; // 255 = opaque
    Canvas(int w, int h, Rgb fill);
    void Set(int x, int y, Rgb c);
    void FillRect(int x, int y, int w, int h, Rgb c);
    void FillRoundRect(int x, int y, int w, int h, int radius, Rgb c);
    void FrameRoundRect(int x, int y, int w, int h, int radius, Rgb c);
    void FillCircle(int cx, int cy, int radius, Rgb c);
    void Line(int x0, int y0, int x1, int y1, int thickness, Rgb c);
    void FillTriangle(int x0, int y0, int x1, int y1, int x2, int y2, Rgb c);
    // Text in the built-in 5x7 font, each font pixel scale x scale.
    void Text(int x, int y, const std::string& text, int scale, Rgb c);
    static int TextWidth(const std::string& text, int scale);
    void ClearAlpha(); // fully transparent
};

bool WriteBmp8(const Canvas& canvas, const std::string& path);
bool WriteIcon32(const std::vector<const Canvas*>& images, const std::string& path);
// rows: height strings of width characters, '#' black, 'o' white, other transparent.
bool WriteMonoCursor(const std::vector<std::string>& rows, int hot_x, int hot_y,
                     const std::string& path);
