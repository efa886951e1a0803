// The About box's animation: the credit line scrolling in six coloured
// copies with pauses, the title on a sine wave and a starfield, composed
// into the drawing library's back buffer (400 x 320) once per frame.
#pragma once

#include <cstdint>

enum : int32_t {
    kCreditLength = 366,
    kCreditYearIndex = 39,   // the end year ...
    kCreditYearLength = 4,   // ... and its characters
    kCreditStartX = 400,     // P at each opening, and after a wrap
    kCreditWrapLow = -3344,  // P stays while kCreditWrapLow <= P <= kCreditStartX
    kCreditStep = 2,         // pixels per moving frame
    kCreditHoldFrames = 120, // extra frames held at each pause position
    kCreditPauseCount = 5,
    kAboutWidth = 400,
    kAboutHeight = 320,
};

// Where the credit line stops: the first character k of the 45-character
// window centring each phrase (maker's line, designer, web address, e-mail,
// slogan) stands near x = 1 (P close to 1 - 9k, and even, so that the
// 2-pixel steps from 400 reach it).
extern const int32_t kCreditPauses[kCreditPauseCount];

extern const char kAboutTitle[];         // "  Pellam Board"
extern const char kAboutClientVersion[]; // "Client Version: 1.0"

// The animation state. Its owner keeps it from one opening of the About box
// to the next: H, A and S carry over, P starts again at each opening.
struct AboutAnimation {
    int32_t credit_x = kCreditStartX; // P: x of the first credit character
    int32_t hold = 0;                 // H: frames held so far at a pause
    double wave_angle = 0.0;          // A: running phase of the title wave
    int32_t star_phase = 0;           // S: depth offset of the starfield, 0..1023
};

// The credit line: kCreditLength characters and a terminator.
struct CreditText {
    char text[kCreditLength + 1];
};

// The credit line as written, ending its span of years in 2026. The program
// keeps a copy with the current year written in.
extern const CreditText kCreditText;

// Writes the four characters of `year` over the end year of `credit`,
// without a terminator, so the line keeps its length. `year` must be four
// characters (e.g. "2026").
void WriteCreditYear(CreditText& credit, const char* year);
void WriteCreditYear(CreditText& credit, int year);

// An opening of the About box: the credit line starts again at the right.
void OpenAboutAnimation(AboutAnimation& state);

// One move of the credit line (wrap, pause hold or 2-pixel step).
void AdvanceCredit(AboutAnimation& state);

// Composes one frame into the back buffer with the current font: clears it,
// draws the version texts, moves and draws the credit line, the title wave
// and the starfield, advancing `state`. The caller brackets it with
// SurfBeginFrame / SurfEndFrame and skips it when SurfBeginFrame fails.
void ComposeAboutFrame(AboutAnimation& state, const char* credit, const char* build_text);

// The starfield alone (draws its 200 pixels and advances S).
void DrawStarfield(AboutAnimation& state);
