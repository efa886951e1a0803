#include "tools/imagegen/canvas.h"

#include "tools/imagegen/font5x7.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

Canvas::Canvas(int w, int h, Rgb fill, double s)
    : width(static_cast<int>(std::lround(w * s))), height(static_cast<int>(std::lround(h * s))),
      scale(s), pixels(static_cast<size_t>(width) * height, fill),
      alpha(static_cast<size_t>(width) * height, 255) {}

int Canvas::Px(int units) const {
    return static_cast<int>(std::lround(units * scale));
}

int Canvas::Thickness(int units) const {
    return std::max(1, Px(units));
}

void Canvas::Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    pixels[static_cast<size_t>(y) * width + x] = c;
    alpha[static_cast<size_t>(y) * width + x] = 255;
}

void Canvas::ClearAlpha() {
    std::fill(alpha.begin(), alpha.end(), 0);
}

void Canvas::FillRect(int x, int y, int w, int h, Rgb c) {
    const int left = Px(x), top = Px(y), right = Px(x + w), bottom = Px(y + h);
    for (int j = top; j < bottom; ++j)
        for (int i = left; i < right; ++i)
            Set(i, j, c);
}

static bool InRound(int i, int j, int x, int y, int w, int h, int r) {
    const int cx = i < x + r ? x + r : (i >= x + w - r ? x + w - r - 1 : i);
    const int cy = j < y + r ? y + r : (j >= y + h - r ? y + h - r - 1 : j);
    const int dx = i - cx, dy = j - cy;
    return dx * dx + dy * dy <= r * r;
}

// A rounded rectangle in pixels: filled, or only its outer `frame` pixels.
void Canvas::PixelRoundRect(int x, int y, int w, int h, int r, int frame, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (InRound(i, j, x, y, w, h, r) &&
                (frame == 0 ||
                 !InRound(i, j, x + frame, y + frame, w - 2 * frame, h - 2 * frame, r - frame)))
                Set(i, j, c);
}

void Canvas::FillRoundRect(int x, int y, int w, int h, int r, Rgb c) {
    PixelRoundRect(Px(x), Px(y), Px(x + w) - Px(x), Px(y + h) - Px(y), Px(r), 0, c);
}

void Canvas::FrameRoundRect(int x, int y, int w, int h, int r, Rgb c) {
    PixelRoundRect(Px(x), Px(y), Px(x + w) - Px(x), Px(y + h) - Px(y), Px(r), Thickness(1), c);
}

void Canvas::PixelCircle(int cx, int cy, int r, Rgb c) {
    for (int j = cy - r; j <= cy + r; ++j)
        for (int i = cx - r; i <= cx + r; ++i)
            if ((i - cx) * (i - cx) + (j - cy) * (j - cy) <= r * r) Set(i, j, c);
}

void Canvas::FillCircle(int cx, int cy, int r, Rgb c) {
    PixelCircle(Px(cx), Px(cy), Px(r), c);
}

void Canvas::Line(int x0, int y0, int x1, int y1, int thickness, Rgb c) {
    const int px0 = Px(x0), py0 = Px(y0), px1 = Px(x1), py1 = Px(y1);
    const int radius = Thickness(thickness) / 2;
    const int steps = std::max(std::abs(px1 - px0), std::abs(py1 - py0)) * 2 + 1;
    for (int s = 0; s <= steps; ++s) {
        const double t = static_cast<double>(s) / steps;
        const int x = static_cast<int>(std::lround(px0 + (px1 - px0) * t));
        const int y = static_cast<int>(std::lround(py0 + (py1 - py0) * t));
        PixelCircle(x, y, radius, c);
    }
}

void Canvas::FillTriangle(int x0, int y0, int x1, int y1, int x2, int y2, Rgb c) {
    x0 = Px(x0), y0 = Px(y0), x1 = Px(x1), y1 = Px(y1), x2 = Px(x2), y2 = Px(y2);
    auto edge = [](int ax, int ay, int bx, int by, int px, int py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    const int area = edge(x0, y0, x1, y1, x2, y2);
    for (int j = std::min({y0, y1, y2}); j <= std::max({y0, y1, y2}); ++j)
        for (int i = std::min({x0, x1, x2}); i <= std::max({x0, x1, x2}); ++i) {
            const int a = edge(x0, y0, x1, y1, i, j), b = edge(x1, y1, x2, y2, i, j),
                      d = edge(x2, y2, x0, y0, i, j);
            if ((area >= 0 && a >= 0 && b >= 0 && d >= 0) ||
                (area < 0 && a <= 0 && b <= 0 && d <= 0))
                Set(i, j, c);
        }
}

int Canvas::TextWidth(const std::string& text, int size) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * size - size;
}

void Canvas::Text(int x, int y, const std::string& text, int size, Rgb c) {
    // Whole pixels per font pixel, from the scaled origin.
    const int dot = Thickness(size);
    int left = Px(x);
    const int top = Px(y);
    for (char ch : text) {
        if (const uint8_t* rows = Glyph5x7(ch))
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (rows[row] & (16 >> col))
                        for (int j = 0; j < dot; ++j)
                            for (int i = 0; i < dot; ++i)
                                Set(left + col * dot + i, top + row * dot + j, c);
        left += 6 * dot;
    }
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t>& out, int w, int h, int bits, uint32_t image_size,
                   uint32_t colors) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(w));
    Put32(out, static_cast<uint32_t>(h));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);
    Put32(out, image_size);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, colors);
    Put32(out, 0);
}

bool Save(const std::vector<uint8_t>& bytes, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool WriteBmp8(const Canvas& canvas, const std::string& path) {
    std::map<uint32_t, int> index;
    std::vector<Rgb> palette;
    for (const Rgb& p : canvas.pixels) {
        const uint32_t key = (p.r << 16) | (p.g << 8) | p.b;
        if (index.count(key)) continue;
        if (palette.size() == 256) {
            std::fprintf(stderr, "%s: more than 256 colours\n", path.c_str());
            return false;
        }
        index[key] = static_cast<int>(palette.size());
        palette.push_back(p);
    }
    const int stride = (canvas.width + 3) & ~3;
    const uint32_t image_size = static_cast<uint32_t>(stride * canvas.height);
    const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + image_size);
    Put32(out, 0);
    Put32(out, offset);
    PutInfoHeader(out, canvas.width, canvas.height, 8, image_size,
                  static_cast<uint32_t>(palette.size()));
    for (const Rgb& p : palette) {
        out.push_back(p.b);
        out.push_back(p.g);
        out.push_back(p.r);
        out.push_back(0);
    }
    for (int y = canvas.height - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.width; ++x) {
            const Rgb& p = canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
            out.push_back(static_cast<uint8_t>(index[(p.r << 16) | (p.g << 8) | p.b]));
        }
        for (int x = canvas.width; x < stride; ++x)
            out.push_back(0);
    }
    return Save(out, path);
}

bool WriteIcon32(const std::vector<const Canvas*>& images, const std::string& path) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const Canvas* c : images) {
        std::vector<uint8_t> body;
        const int mask_stride = ((c->width + 31) / 32) * 4;
        PutInfoHeader(body, c->width, c->height * 2, 32, 0, 0);
        for (int y = c->height - 1; y >= 0; --y)
            for (int x = 0; x < c->width; ++x) {
                const size_t i = static_cast<size_t>(y) * c->width + x;
                body.push_back(c->pixels[i].b);
                body.push_back(c->pixels[i].g);
                body.push_back(c->pixels[i].r);
                body.push_back(c->alpha[i]);
            }
        for (int y = c->height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(static_cast<size_t>(mask_stride), 0);
            for (int x = 0; x < c->width; ++x)
                if (c->alpha[static_cast<size_t>(y) * c->width + x] == 0)
                    row[x / 8] |= 0x80 >> (x % 8);
            body.insert(body.end(), row.begin(), row.end());
        }
        bodies.push_back(body);
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(images[i]->width >= 256 ? 0 : images[i]->width));
        out.push_back(static_cast<uint8_t>(images[i]->height >= 256 ? 0 : images[i]->height));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const auto& b : bodies)
        out.insert(out.end(), b.begin(), b.end());
    return Save(out, path);
}

bool WriteMonoCursor(const std::vector<std::string>& rows, int hot_x, int hot_y,
                     const std::string& path) {
    const int size = 32;
    std::vector<uint8_t> body;
    PutInfoHeader(body, size, size * 2, 1, 0, 2);
    Put32(body, 0x000000);
    Put32(body, 0xFFFFFF);
    // XOR (colour) plane then AND (transparency) plane, bottom row first.
    for (int plane = 0; plane < 2; ++plane)
        for (int y = size - 1; y >= 0; --y) {
            uint8_t row[4] = {0, 0, 0, 0};
            for (int x = 0; x < size; ++x) {
                const char c =
                    (y < static_cast<int>(rows.size()) && x < static_cast<int>(rows[y].size()))
                        ? rows[y][x]
                        : ' ';
                const bool set = plane == 0 ? c == 'o' : (c != '#' && c != 'o');
                if (set) row[x / 8] |= 0x80 >> (x % 8);
            }
            body.insert(body.end(), row, row + 4);
        }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 2);
    Put16(out, 1);
    out.push_back(size);
    out.push_back(size);
    out.push_back(2);
    out.push_back(0);
    Put16(out, static_cast<uint32_t>(hot_x));
    Put16(out, static_cast<uint32_t>(hot_y));
    Put32(out, static_cast<uint32_t>(body.size()));
    Put32(out, 22);
    out.insert(out.end(), body.begin(), body.end());
    return Save(out, path);
}
