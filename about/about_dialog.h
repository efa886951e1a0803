// The About box: animated credits over a starfield with the About module
// playing. Only the caption's close ends it.
#pragma once

// Modal over the main window; ends any connection first.
void OpenAboutDialog();
