// A small RGBA canvas with the drawing primitives our resource pictures
// need, and writers for the Windows file formats the resource compiler
// takes (8-bit BMP, 32-bit icon, monochrome cursor).
//
// A picture is drawn in design units, its pixels at 100 %; a canvas with a
// scale of 1.5 or 2 draws the same calls for a display at 150 % or 200 %:
// positions and sizes are scaled and rounded, lines and frames grow
// thicker, and the 5x7 font grows by whole pixels so its strokes stay even.
// At scale 1 every call draws exactly the pixels it names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Canvas {
    int width, height; // in pixels
    double scale;      // pixels per design unit
    std::vector<Rgb> pixels;
    std::vector<uint8_t> alpha; // 255 = opaque
    // A canvas of w x h design units, filled.
    Canvas(int w, int h, Rgb fill, double scale = 1);
    void Set(int x, int y, Rgb c); // one pixel (not scaled)
    void FillRect(int x, int y, int w, int h, Rgb c);
    void FillRoundRect(int x, int y, int w, int h, int radius, Rgb c);
    void FrameRoundRect(int x, int y, int w, int h, int radius, Rgb c);
    void FillCircle(int cx, int cy, int radius, Rgb c);
    void Line(int x0, int y0, int x1, int y1, int thickness, Rgb c);
    void FillTriangle(int x0, int y0, int x1, int y1, int x2, int y2, Rgb c);
    // Text in the built-in 5x7 font, each font pixel size x size units.
    void Text(int x, int y, const std::string& text, int size, Rgb c);
    static int TextWidth(const std::string& text, int size);
    void ClearAlpha(); // fully transparent

  private:
    int Px(int units) const;        // a position or length in pixels
    int Thickness(int units) const; // a line's width in pixels, at least 1
    void PixelRoundRect(int x, int y, int w, int h, int r, int frame, Rgb c);
    void PixelCircle(int cx, int cy, int r, Rgb c);
};

bool WriteBmp8(const Canvas& canvas, const std::string& path);
bool WriteIcon32(const std::vector<const Canvas*>& images, const std::string& path);
// rows: height strings of width characters, '#' black, 'o' white, other transparent.
bool WriteMonoCursor(const std::vector<std::string>& rows, int hot_x, int hot_y,
                     const std::string& path);
