#pragma once

#include <QIcon>

namespace quorvel {

// IDR_MAINFRAME: the 16- and 32-pixel images of 16 colours, and larger ones for the desktop.
QIcon MainFrameIcon();

} // namespace quorvel
