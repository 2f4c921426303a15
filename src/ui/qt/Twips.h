#pragma once
// The designed form measures in twips; Qt places widgets in device-independent pixels.

namespace ui {

// 15 twips are one pixel at 96 dpi; Qt scales the pixels with the screen.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

} // namespace ui
