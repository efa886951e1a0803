// The About box's XM module, composed by tools/aboutsong/make_about_song.py.
#pragma once

extern const unsigned char kAboutModule[];
extern const unsigned kAboutModuleSize;
