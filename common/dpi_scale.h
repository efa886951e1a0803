/* Sizes for the display's resolution. Layouts and pictures are designed at
   96 dots per inch (100 %). On a display with more, a dialog's layout grows
   with its font (its dialog base units), every size in pixels made in code
   grows in proportion, and pictures come from sets drawn for 150 % and
   200 % (by tools/imagegen) rather than being stretched.
   The resource script reads the picture ids from here too. */
#ifndef PELLAM_DPI_SCALE_H
#define PELLAM_DPI_SCALE_H

/* The ids of a picture's 150 % and 200 % forms. */
#define PICTURE_ID_150(id) ((id) + 10000)
#define PICTURE_ID_200(id) ((id) + 20000)

#ifndef RC_INVOKED

constexpr int kDesignDpi = 96;
// The dialog base units of the design: the templates' font, MS Sans Serif
// 8, at 96 DPI.
constexpr int kDesignBaseUnitX = 6;
constexpr int kDesignBaseUnitY = 13;

// `pixels` of the design where the design's `from` has become `to`,
// rounded to the nearest pixel, halves away from zero (as MulDiv rounds).
constexpr int ScaleBy(int pixels, int to, int from) {
    const long long scaled = static_cast<long long>(pixels) * to;
    return static_cast<int>(scaled >= 0 ? (scaled + from / 2) / from
                                        : -((-scaled + from / 2) / from));
}

// `pixels` at 96 DPI, at `dpi`.
constexpr int ScaleForDpi(int pixels, int dpi) {
    return ScaleBy(pixels, dpi, kDesignDpi);
}

// How far a dialog's layout has grown, in percent of the design, from its
// base units: the smaller of the two directions. A bitmap font grows in
// steps, so this can be less than the display's own scale.
constexpr int LayoutPercent(int base_unit_x, int base_unit_y) {
    const int x = base_unit_x * 100 / kDesignBaseUnitX;
    const int y = base_unit_y * 100 / kDesignBaseUnitY;
    return x < y ? x : y;
}

// The picture set for a layout grown to `percent`: 100, 150 or 200, the
// largest not larger, so that a picture never outgrows the room its
// template gives it.
constexpr int PictureScaleForPercent(int percent) {
    return percent >= 200 ? 200 : percent >= 150 ? 150 : 100;
}

// The resource id of picture `id` in the set of `picture_scale` percent.
constexpr int PictureIdForScale(int id, int picture_scale) {
    return picture_scale == 200   ? PICTURE_ID_200(id)
           : picture_scale == 150 ? PICTURE_ID_150(id)
                                  : id;
}

#endif /* RC_INVOKED */
#endif /* PELLAM_DPI_SCALE_H */
