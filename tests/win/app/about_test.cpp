// The About box in the running program: it disconnects, draws frames into
// its window, ignores commands, stands still while hidden, and tears down.
#include "tests/win/app/program_fixture.h"

#include "about/credits_animation.h"
#include "about/music/music.h"
#include "about/surface.h"
#include "app/app_state.h"
#include "app/session.h"
#include "resources/resource_ids.h"

namespace {

class AboutTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AddBoardRow("8001", "YES");
        ASSERT_NE(Start(), nullptr);
    }
    void WithAbout(std::function<void(HWND)> work) {
        boxes.Queue([work](HWND dialog, const SeenBox&) {
            work(dialog);
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
        SendMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
    }
};

// Counts the white pixels of the window's version line (y 40..53).
int WhitePixelsOfVersionLine(HWND dialog) {
    HDC dc = GetDC(dialog);
    int white = 0;
    for (int y = 40; y < 54; ++y)
        for (int x = 40; x < 200; ++x)
            white += GetPixel(dc, x, y) == RGB(255, 255, 255);
    ReleaseDC(dialog, dc);
    return white;
}

TEST_F(AboutTest, OpeningDisconnectsAndFramesReachTheWindow) {
    ASSERT_TRUE(ConnectAndPoll());
    WithAbout([this](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), "About Qvoxline Relay Board");
        EXPECT_EQ(g_session.connected, 0);
        EXPECT_EQ(StatusPart(g_main.status_bar, 1), "Not Connected");
        PumpFor(200);
        EXPECT_GT(WhitePixelsOfVersionLine(dialog), 50);
        HDC dc = GetDC(dialog);
        EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0)); // the black background
        ReleaseDC(dialog, dc);
        EXPECT_LT(g_main.about_animation.credit_x, 398); // the credit line moves
    });
    EXPECT_EQ(SurfBackBuffer(), nullptr); // torn down
    EXPECT_STREQ(MusicGetTitle(), "");    // no song left playing
    EXPECT_EQ(g_session.connected, 0);    // closing does not reconnect
}

TEST_F(AboutTest, CommandsLeaveItOpenOnlyCloseEndsIt) {
    WithAbout([](HWND dialog) {
        for (WPARAM id : {IDOK, IDCANCEL})
            SendMessageA(dialog, WM_COMMAND, id, 0);
        SendMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        PumpFor(100);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
}

TEST_F(AboutTest, MinimisedBoxDrawsNothingAndStandsStill) {
    WithAbout([](HWND dialog) {
        PumpFor(100);
        ShowWindow(dialog, SW_MINIMIZE);
        PumpFor(60);
        const AboutAnimation before = g_main.about_animation;
        PumpFor(300);
        EXPECT_EQ(g_main.about_animation.credit_x, before.credit_x);
        EXPECT_EQ(g_main.about_animation.star_phase, before.star_phase);
        EXPECT_EQ(g_main.about_animation.wave_angle, before.wave_angle);
        EXPECT_FALSE(SurfFrameActive());
        ShowWindow(dialog, SW_RESTORE);
        PumpFor(100);
        EXPECT_NE(g_main.about_animation.star_phase, before.star_phase); // resumes
    });
}

TEST_F(AboutTest, ReopeningRestartsTheCreditLineButKeepsWaveAndStars) {
    double angle = 0;
    WithAbout([&angle](HWND) {
        PumpFor(150);
        angle = g_main.about_animation.wave_angle;
    });
    EXPECT_GT(angle, 0.0);
    WithAbout([angle](HWND) {
        EXPECT_GE(g_main.about_animation.credit_x, 396); // P starts again at 400
        EXPECT_GE(g_main.about_animation.wave_angle, angle);
    });
}

} // namespace
