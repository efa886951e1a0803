// pellam_pack: writes the About box's data in its packed forms.
//   pellam_pack font OUT.cpp            the built-in 8 x 14 font as a C++ array
//   pellam_pack font-bin OUT            the same, raw "TFDS" form
//   pellam_pack image IN.ppm OUT [A.pgm] a binary PPM (and optional alpha PGM)
//                                       as a packed image
#include "tools/pack/pack_formats.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool WriteFile(const char* path, const void* data, size_t size) {
    std::ofstream f(path, std::ios::binary);
    f.write(static_cast<const char*>(data), std::streamsize(size));
    return bool(f);
}

// Reads a binary PNM (P5 or P6, maxval 255).
bool ReadPnm(const char* path, const char* magic, uint32_t& w, uint32_t& h,
             std::vector<uint8_t>& samples) {
    std::ifstream f(path, std::ios::binary);
    std::string m;
    unsigned maxval = 0;
    if (!(f >> m >> w >> h >> maxval) || m != magic || maxval != 255) return false;
    f.get();
    size_t n = size_t(w) * h * (m == "P6" ? 3 : 1);
    samples.resize(n);
    f.read(reinterpret_cast<char*>(samples.data()), std::streamsize(n));
    return size_t(f.gcount()) == n;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: pellam_pack font OUT.cpp | font-bin OUT | image IN.ppm OUT [ALPHA.pgm]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string cmd = argv[1];
    if (cmd == "font" || cmd == "font-bin") {
        std::vector<uint8_t> packed = PackFontForm(BuildAboutFontBlock());
        if (cmd == "font-bin") return WriteFile(argv[2], packed.data(), packed.size()) ? 0 : 1;
        std::vector<char> src = EmitCppArray(
            packed, "kAboutFont",
            "The About box's 8 x 14 bitmap font (Terminus Font, SIL OFL 1.1) in packed form.");
        return WriteFile(argv[2], src.data(), src.size()) ? 0 : 1;
    }
    if (cmd == "image" && argc >= 4) {
        uint32_t w, h;
        std::vector<uint8_t> rgb;
        if (!ReadPnm(argv[2], "P6", w, h, rgb) || w == 0 || w > 0xFFFF) {
            std::fprintf(stderr, "pellam_pack: %s is not a binary PPM with maxval 255\n", argv[2]);
            return 1;
        }
        std::vector<uint16_t> pixels;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3)
            pixels.push_back(To565(rgb[i], rgb[i + 1], rgb[i + 2]));
        std::vector<uint8_t> alpha;
        if (argc >= 5) {
            uint32_t aw, ah;
            if (!ReadPnm(argv[4], "P5", aw, ah, alpha) || aw != w || ah != h) {
                std::fprintf(stderr, "pellam_pack: %s is not a matching binary PGM\n", argv[4]);
                return 1;
            }
        }
        std::vector<uint8_t> packed = PackImageForm(w, h, pixels, argc >= 5 ? &alpha : nullptr);
        return WriteFile(argv[3], packed.data(), packed.size()) ? 0 : 1;
    }
    return Usage();
}
