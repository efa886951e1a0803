// The relay pictures as switches, and the logo as a link to the maker's
// product page. Both are picture controls of the main window, subclassed.
#pragma once

void SubclassPictures();
extern const char kProductPageAddress[];
