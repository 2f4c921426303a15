#include "view/artwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using view::artwork::Image;

// Its outline's dashes end square only where the pen is wide enough to keep
// the gaps open, so its small sizes differ from its large ones by design.
const std::string kDashed = "state 3";

struct Picture {
    std::string name;
    std::function<Image(int)> render;
};

std::vector<Picture> allPictures() {
    std::vector<Picture> pictures{{"logo", view::artwork::logo}, {"application icon", view::artwork::applicationIcon}};
    for (int state = 0; state < view::artwork::kStateIcons; ++state) {
        pictures.push_back(
            {"state " + std::to_string(state), [state](int size) { return view::artwork::stateIcon(state, size); }});
    }
    for (int frame = 0; frame < view::artwork::kAnimationFrames; frame += 4) {
        pictures.push_back({"frame " + std::to_string(frame),
                            [frame](int size) { return view::artwork::animationFrame(frame, size); }});
    }
    return pictures;
}

int alpha(const Image& image, int x, int y) {
    return image.rgba[(static_cast<std::size_t>(y) * image.size + x) * 4 + 3];
}

// The alpha of the `size` pixels square picture's pixel, from the large picture's pixels it covers.
double reducedAlpha(const Image& large, int size, int x, int y) {
    const int k = large.size / size;
    double sum = 0;
    for (int dy = 0; dy < k; ++dy) {
        for (int dx = 0; dx < k; ++dx) {
            sum += alpha(large, x * k + dx, y * k + dy);
        }
    }
    return sum / (k * k);
}

// Every size shows the same picture: at every size, each pixel is about as
// covered as the part of the 128 px picture it stands for, so no size loses a
// row, a column or a shape, and nothing is drawn outside the picture's place.
TEST(Artwork, EverySizeShowsTheSamePictureWithSmoothEdges) {
    for (const auto& picture : allPictures()) {
        const Image large = picture.render(128);
        ASSERT_EQ(large.rgba.size(), 128u * 128 * 4) << picture.name;
        for (const int size : {16, 32, 64}) {
            const Image image = picture.render(size);
            ASSERT_EQ(image.size, size) << picture.name;
            ASSERT_EQ(image.rgba.size(), static_cast<std::size_t>(size) * size * 4) << picture.name;
            double difference = 0;
            int partial = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    difference += std::abs(alpha(image, x, y) - reducedAlpha(large, size, x, y));
                    partial += alpha(image, x, y) > 0 && alpha(image, x, y) < 255;
                }
            }
            if (picture.name != kDashed) {
                EXPECT_LT(difference / (size * size), 6.0) << picture.name << " at " << size;
            }
            EXPECT_GT(partial, size) << picture.name << " at " << size << ": the edges are smoothed";
        }
        EXPECT_EQ(picture.render(128).rgba, large.rgba) << picture.name << " is drawn the same each time";
    }
}

TEST(Artwork, AnUnknownPictureOrSizeIsEmpty) {
    EXPECT_TRUE(view::artwork::stateIcon(view::artwork::kStateIcons, 16).rgba.empty());
    EXPECT_TRUE(view::artwork::animationFrame(-1, 32).rgba.empty());
    EXPECT_TRUE(view::artwork::logo(0).rgba.empty());
}

} // namespace
