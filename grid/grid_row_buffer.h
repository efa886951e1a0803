// The off-screen bitmap each row is drawn into before it is copied to the
// screen in one step. It is kept from one paint to the next: making a
// drawing context and selecting a bitmap into it costs tenths of a
// millisecond under Wine, which a page of 30 rows would pay on every paint.
#pragma once

#include "common/win32_owners.h"

#include <windows.h>

class GridRowBuffer {
  public:
    // A memory drawing context holding a bitmap of at least width by height
    // pixels, compatible with `like`; null when none can be made. It keeps
    // the bitmap selected; the caller restores anything else it selects.
    HDC Get(HDC like, int width, int height);

  private:
    // The context goes first (members end in reverse order), so the bitmap
    // is no longer selected when it is deleted.
    GdiObject<HBITMAP> bitmap_;
    MemoryDc dc_;
    int width_ = 0, height_ = 0;
};
