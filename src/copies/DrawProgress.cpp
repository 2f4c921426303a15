#include "copies/DrawProgress.h"

#include "common/convert.h"

void DrawProgress(view::PictureBox& picBox, std::int32_t lValue, std::int32_t lMax) {
    const std::int32_t width = picBox.width();
    const std::int32_t height = picBox.height();
    // A maximum of 0 has no proportion: the bar then stays empty.
    std::int32_t right = 0;
    if (lMax != 0) {
        right = convert::toInt32(width * (static_cast<double>(lValue) / static_cast<double>(lMax))).value_or(0);
    }
    picBox.fillRectangle(0, 0, width, height, view::Colour::systemButtonFace());
    picBox.fillRectangle(0, 0, right - 10, height, view::Colour::rgb(0, 0, 127));
}

void drawFailedProgress(view::PictureBox& picBox) {
    const std::int32_t width = picBox.width();
    const std::int32_t height = picBox.height();
    picBox.fillRectangle(0, 0, width, height, view::Colour::systemButtonFace());
    picBox.fillRectangle(0, 0, width - 10, height, view::Colour::rgb(160, 0, 0));
}
