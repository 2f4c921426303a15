#pragma once
// The program's pictures, drawn once for every front end and tool: the five
// state icons, the 18 frames of the busy animation, the logo and the
// program's icon. Every picture is a sheet of paper with a folded corner, the
// watched file, with a badge or an eye on it. Each is drawn in a unit square
// from one palette and rendered at any size as straight-alpha RGBA pixels,
// its edges smoothed by supersampling. No toolkit: the Qt and Win32 front ends
// wrap the pixels as their own images, the icon tools write them to files.

#include <cstdint>
#include <vector>

namespace view::artwork {

// `size` by `size` pixels, top row first, four bytes each: red, green, blue
// and alpha, the colour not multiplied by the alpha.
struct Image {
    int size = 0;
    std::vector<std::uint8_t> rgba;
};

// The pictures of the state image list, in its order: "Free", "Open",
// "Error", "No File", monitoring off.
inline constexpr int kStateIcons = 5;
// One turn of the busy animation's radar sweep.
inline constexpr int kAnimationFrames = 18;

// `state` from 0 to kStateIcons - 1; `frame` from 0 to kAnimationFrames - 1.
// Anything else, or a size below 1, gives an empty image.
Image stateIcon(int state, int size);
Image animationFrame(int frame, int size);
// The logo beside the title.
Image logo(int size);
// The program's icon: the window's, the executable's and the icon theme's.
Image applicationIcon(int size);

} // namespace view::artwork
