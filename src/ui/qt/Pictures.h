#pragma once
// The program's pictures, drawn in code so that nothing has to lie beside the
// executable: the logo, the five state icons, the 18 frames of the busy
// animation and the window icon. Every picture is a sheet of paper with a
// folded corner, the watched file, with a badge or an eye on it.

#include <QIcon>
#include <QPixmap>

#include <vector>

namespace ui::pictures {

// Pictures 1 to 5 of the state image list: "Free", "Open", "Error", "No File",
// monitoring off. 16 px.
std::vector<QPixmap> stateIcons(qreal devicePixelRatio = 2.0);

// The 18 frames of the busy animation, 32 px.
std::vector<QPixmap> animationFrames(qreal devicePixelRatio = 2.0);

// The 48 px logo shown beside the title.
QPixmap logo(qreal devicePixelRatio = 2.0);

// The program's icon, `size` pixels square: the window's icon, and the icon
// the installed program puts into the desktop's icon theme.
QPixmap applicationIcon(int size);

// The window's icon at the usual sizes.
QIcon windowIcon();

} // namespace ui::pictures
