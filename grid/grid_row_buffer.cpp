#include "grid/grid_row_buffer.h"

#include <algorithm>

HDC GridRowBuffer::Get(HDC like, int width, int height) {
    if (dc_ && width <= width_ && height <= height_) return dc_.get();
    if (!dc_) dc_.Reset(CreateCompatibleDC(like));
    if (!dc_) return nullptr;
    // Grows only, so a page of rows never makes a new one.
    int w = std::max(width, width_), h = std::max(height, height_);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(like, w, h));
    if (!bitmap) return nullptr;
    SelectObject(dc_.get(), bitmap.get()); // the old bitmap is no longer selected
    bitmap_ = std::move(bitmap);
    width_ = w;
    height_ = h;
    return dc_.get();
}
