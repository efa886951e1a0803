// Draws every picture of Pellam.exe's resources and writes them in the forms
// the resource compiler takes. Usage: imagegen OUTPUT_DIR
#include "tools/imagegen/canvas.h"

#include <cstdio>
#include <string>

namespace {

const Rgb kFace{240, 240, 240};
const Rgb kWhite{255, 255, 255};
const Rgb kInk{40, 44, 52};
const Rgb kGrey{150, 154, 160};
const Rgb kLightGrey{205, 208, 214};
const Rgb kGreen{30, 150, 60};
const Rgb kRed{210, 40, 40};
const Rgb kBlue{0, 84, 166};
const Rgb kCopper{196, 120, 40};
const Rgb kAmber{240, 170, 20};

enum class Contact { Nc, No, None };

// A relay's contacts: COM on the left, NC above right, NO below right, the
// blade joining COM to the closed contact.
Canvas RelayPicture(Contact contact, double scale) {
    Canvas c(122, 70, kFace, scale);
    const bool live = contact != Contact::None;
    c.FillRoundRect(1, 1, 120, 68, 8, kWhite);
    c.FrameRoundRect(1, 1, 120, 68, 8, live ? kGrey : kLightGrey);
    const Rgb label = live ? kInk : kLightGrey;
    c.Text(6, 44, "COM", 1, label);
    c.Text(97, 3, "NC", 1, contact == Contact::Nc ? kGreen : label);
    c.Text(97, 60, "NO", 1, contact == Contact::No ? kBlue : label);
    const int com_x = 34, com_y = 35, tip_x = 92, nc_y = 16, no_y = 54;
    c.Line(tip_x, nc_y, tip_x + 16, nc_y, 3, live ? kGrey : kLightGrey);
    c.Line(tip_x, no_y, tip_x + 16, no_y, 3, live ? kGrey : kLightGrey);
    c.Line(8, com_y, com_x, com_y, 3, live ? kGrey : kLightGrey);
    if (contact == Contact::Nc) c.Line(com_x, com_y, tip_x - 4, nc_y + 3, 5, kCopper);
    if (contact == Contact::No) c.Line(com_x, com_y, tip_x - 4, no_y - 3, 5, kCopper);
    c.FillCircle(com_x, com_y, 6, live ? kInk : kLightGrey);
    c.FillCircle(tip_x, nc_y, 5, contact == Contact::Nc ? kGreen : (live ? kGrey : kLightGrey));
    c.FillCircle(tip_x, no_y, 5, contact == Contact::No ? kBlue : (live ? kGrey : kLightGrey));
    return c;
}

Canvas ReadyDot(double scale) {
    Canvas c(16, 16, kFace, scale);
    c.FillCircle(7, 7, 7, Rgb{20, 110, 40});
    c.FillCircle(7, 7, 6, Rgb{40, 190, 70});
    c.FillCircle(5, 5, 2, Rgb{150, 235, 160});
    return c;
}

Canvas WarningMark(double scale) {
    Canvas c(16, 16, kFace, scale);
    c.FillCircle(7, 7, 7, Rgb{150, 20, 20});
    c.FillCircle(7, 7, 6, kRed);
    c.FillRect(6, 3, 3, 6, kWhite);
    c.FillRect(6, 10, 3, 3, kWhite);
    return c;
}

// The maker's logo: a relay symbol and the product name.
Canvas Logo(double scale) {
    Canvas c(370, 89, kFace, scale);
    c.FillRoundRect(0, 0, 370, 89, 14, kBlue);
    c.FillRoundRect(10, 10, 70, 69, 10, kWhite);
    c.FillCircle(26, 45, 6, kInk);
    c.Line(26, 45, 60, 26, 5, kCopper);
    c.FillCircle(64, 24, 5, kGreen);
    c.FillCircle(64, 66, 5, kGrey);
    c.Text(98, 10, "PELLAM", 5, kWhite);
    c.Text(100, 54, "QVOXLINE CIRCUITS", 2, Rgb{190, 215, 245});
    c.Text(100, 74, "USB RELAY BOARDS", 1, Rgb{190, 215, 245});
    return c;
}

// The Edit Relay dialog's picture: a relay coil with its contact.
Canvas EditRelayPicture(double scale) {
    Canvas c(76, 69, kFace, scale);
    c.FillRoundRect(2, 2, 72, 65, 10, kWhite);
    c.FrameRoundRect(2, 2, 72, 65, 10, kGrey);
    for (int i = 0; i < 5; ++i)
        c.FillRoundRect(12, 14 + i * 9, 22, 6, 3, kCopper);
    c.FillRect(21, 10, 4, 50, kInk);
    c.FillCircle(48, 48, 5, kInk);
    c.Line(48, 48, 64, 22, 4, kCopper);
    c.FillCircle(65, 20, 4, kGreen);
    return c;
}

// The Relay Scripts dialog's picture: a script page.
Canvas ScriptsPicture(double scale) {
    Canvas c(32, 32, kFace, scale);
    c.FillRect(6, 2, 20, 28, kWhite);
    c.FrameRoundRect(6, 2, 20, 28, 1, kInk);
    for (int i = 0; i < 5; ++i)
        c.FillRect(10, 7 + i * 4, i % 2 ? 8 : 12, 2, kBlue);
    c.FillCircle(24, 24, 6, kGreen);
    c.FillTriangle(22, 21, 22, 27, 27, 24, kWhite);
    return c;
}

// Execute, Delete and Edit buttons of a script row, on white (transparent).
Canvas ScriptButtons(double scale) {
    Canvas c(48, 16, kWhite, scale);
    c.FillTriangle(3, 2, 3, 13, 13, 7, kGreen); // execute
    c.Line(19, 3, 28, 12, 3, kRed);             // delete
    c.Line(28, 3, 19, 12, 3, kRed);
    c.Line(35, 12, 44, 3, 4, kAmber); // edit: a pencil
    c.Line(34, 13, 35, 12, 2, kInk);
    return c;
}

Canvas AppIcon(int size) {
    Canvas c(size, size, kWhite);
    c.ClearAlpha();
    const double s = size / 72.0;
    auto S = [s](int v) { return static_cast<int>(v * s + 0.5); };
    c.FillRoundRect(S(2), S(2), S(68), S(68), S(14) > 2 ? S(14) : 2, kBlue);
    c.FillCircle(S(18), S(46), S(7) > 1 ? S(7) : 1, kWhite);
    c.Line(S(18), S(46), S(52), S(22), S(7) > 2 ? S(7) : 2, Rgb{255, 200, 90});
    c.FillCircle(S(55), S(20), S(6) > 1 ? S(6) : 1, Rgb{120, 230, 140});
    c.FillCircle(S(55), S(54), S(6) > 1 ? S(6) : 1, Rgb{170, 190, 220});
    return c;
}

const std::vector<std::string> kHandCursor = {
    "     ##",          "    #oo#",         "    #oo#",         "    #oo#",
    "    #oo#",         "    #oo###",       "    #oo#oo###",    "    #oo#oo#oo##",
    "### #oo#oo#oo#o#", "#oo##oooooooo#o#", "#ooo#oooooooooo#", " #oo#oooooooooo#",
    "  #o#oooooooooo#", "  #oooooooooooo#", "   #ooooooooooo#", "   #oooooooooo#",
    "    #ooooooooo#",  "    #ooooooooo#",  "     #oooooooo#",  "     #oooooooo#",
    "     ##########",
};

// The pictures at 100 % under their plain names, and for displays at 150 %
// and 200 % with "_150" and "_200" added.
bool WritePictures(const std::string& dir, double scale, const std::string& suffix) {
    auto path = [&](const char* name) { return dir + "/" + name + suffix + ".bmp"; };
    return WriteBmp8(RelayPicture(Contact::Nc, scale), path("relay_nc")) &&
           WriteBmp8(RelayPicture(Contact::No, scale), path("relay_no")) &&
           WriteBmp8(RelayPicture(Contact::None, scale), path("relay_blank")) &&
           WriteBmp8(ReadyDot(scale), path("ready")) &&
           WriteBmp8(WarningMark(scale), path("not_ready")) &&
           WriteBmp8(Logo(scale), path("logo")) &&
           WriteBmp8(EditRelayPicture(scale), path("edit_relay")) &&
           WriteBmp8(ScriptsPicture(scale), path("scripts")) &&
           WriteBmp8(ScriptButtons(scale), path("script_buttons"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: imagegen OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = WritePictures(dir, 1, "") && WritePictures(dir, 1.5, "_150") &&
              WritePictures(dir, 2, "_200");
    const Canvas big = AppIcon(72), small = AppIcon(16);
    ok = ok && WriteIcon32({&big, &small}, dir + "/pellam.ico") &&
         WriteMonoCursor(kHandCursor, 6, 0, dir + "/hand.cur");
    return ok ? 0 : 1;
}
