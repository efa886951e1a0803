#include "grid/grid_image_tiles.h"

void GridImageTiles::BeginPass(HDC like) {
    like_ = like;
    tiles_.clear();
    shelfX_ = shelfY_ = shelfHeight_ = 0;
    failed_ = false;
}

bool GridImageTiles::Place(int cx, int cy, int& x, int& y) {
    if (cx > kStripWidth || cy > kStripHeight) return false;
    if (shelfX_ + cx > kStripWidth) { // next shelf
        shelfY_ += shelfHeight_;
        shelfX_ = 0;
        shelfHeight_ = 0;
    }
    if (shelfY_ + cy > kStripHeight) return false;
    x = shelfX_;
    y = shelfY_;
    shelfX_ += cx;
    if (cy > shelfHeight_) shelfHeight_ = cy;
    return true;
}

const GridImageTiles::Tile* GridImageTiles::Find(HDC dc, HIMAGELIST images, int index, int cx,
                                                 int cy, HBRUSH fill, COLORREF fillColour) {
    COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
    for (const Tile& t : tiles_)
        if (t.images == images && t.index == index && t.fillColour == fillColour &&
            t.text == text && t.back == back)
            return &t;
    if (failed_) return nullptr;
    if (!strip_) {
        if (!dc_) dc_.Reset(CreateCompatibleDC(like_));
        if (dc_) strip_.Reset(CreateCompatibleBitmap(like_, kStripWidth, kStripHeight));
        if (!strip_) {
            failed_ = true;
            return nullptr;
        }
        SelectObject(dc_.get(), strip_.get()); // once: each selection is costly
    }
    Tile t{images, index, fillColour, text, back, 0, 0};
    if (!Place(cx, cy, t.x, t.y)) return nullptr;
    // The same background and colours as the row the image lands in, so
    // the transparent parts and any mask blits come out the same. The image
    // list draws nothing outside its cx by cy box.
    RECT box = {t.x, t.y, t.x + cx, t.y + cy};
    FillRect(dc_.get(), &box, fill);
    SetTextColor(dc_.get(), text);
    SetBkColor(dc_.get(), back);
    ImageList_Draw(images, index, dc_.get(), t.x, t.y, ILD_TRANSPARENT);
    tiles_.push_back(t);
    return &tiles_.back();
}

bool GridImageTiles::Draw(HDC dc, HIMAGELIST images, int index, int x, int y, int cx, int cy,
                          const RECT& clip, HBRUSH fill, COLORREF fillColour) {
    RECT image = {x, y, x + cx, y + cy}, part;
    if (!IntersectRect(&part, &image, &clip)) return true; // nothing of it shows
    const Tile* t = Find(dc, images, index, cx, cy, fill, fillColour);
    if (!t) return false;
    BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, dc_.get(),
           t->x + part.left - x, t->y + part.top - y, SRCCOPY);
    return true;
}
