#pragma once
// Paints a progress bar into a picture box: a dark blue bar over the
// button-face background, its right end 10 units short of the proportional
// position lValue / lMax of the box's width.

#include "view/controls.h"

#include <cstdint>

void DrawProgress(view::PictureBox& picBox, std::int32_t lValue, std::int32_t lMax);

// Paints the bar of a copy that failed: dark red across the whole box, so the
// failure stays in sight until the next copy starts.
void drawFailedProgress(view::PictureBox& picBox);
