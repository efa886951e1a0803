// Geometry of the simulator panel's board cards, shared by painting and
// hit-testing so the two never disagree.
#pragma once

#include "tools/boardsim/panel_boards.h"

struct PanelRect {
    int left, top, right, bottom;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

constexpr int kPanelWidth = 900;
constexpr int kCardHeight = 112;
constexpr int kCardGap = 10;
constexpr int kCardMargin = 12;
constexpr int kToolbarHeight = 64;

inline int CardTop(int index, int scroll) {
    return kToolbarHeight + kCardMargin + index * (kCardHeight + kCardGap) - scroll;
}
inline PanelRect CardRect(int index, int scroll, int width) {
    const int top = CardTop(index, scroll);
    return {kCardMargin, top, width - kCardMargin, top + kCardHeight};
}
// Relay r (0..4): its contact picture, clickable to switch the relay.
inline PanelRect RelayRect(const PanelRect& card, int r) {
    const int left = card.left + 180 + r * 72;
    return {left, card.top + 30, left + 66, card.top + 86};
}
// LED l (0..4 relays, 5 heartbeat).
inline PanelRect LedRect(const PanelRect& card, int l) {
    const int left = card.left + 556 + (l % 3) * 30;
    const int top = card.top + 30 + (l / 3) * 32;
    return {left, top, left + 16, top + 16};
}
// The board's buttons, one per action, in two columns of four.
inline PanelRect ButtonRect(const PanelRect& card, BoardAction action) {
    const int i = static_cast<int>(action);
    const int left = card.right - 214 + (i / 4) * 107;
    const int top = card.top + 8 + (i % 4) * 24;
    return {left, top, left + 100, top + 20};
}
