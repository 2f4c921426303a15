#pragma once
// The program's pictures (view/artwork.h) as Qt images, at the screen's
// device pixel ratio: the logo, the five state icons, the 18 frames of the
// busy animation and the window icon.

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

// The program's icon, `size` pixels square.
QPixmap applicationIcon(int size);

// The window's icon at the usual sizes.
QIcon windowIcon();

} // namespace ui::pictures
