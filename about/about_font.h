// The About box's built-in 8 x 14 font in its packed "TFDS" form.
#pragma once

extern const unsigned char kAboutFont[];
extern const unsigned kAboutFontSize;
