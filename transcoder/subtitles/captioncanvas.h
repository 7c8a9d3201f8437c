#ifndef CAPTIONCANVAS_H
#define CAPTIONCANVAS_H

#include "captionplacement.h"

#include <cstdint>
#include <vector>

// The output picture's worth of straight-alpha RGBA on which captions are
// painted at their place and size. Bitmaps are resampled by area, so a
// Blu-ray caption reduced to DVD size keeps its antialiased edges.
class CaptionCanvas
{
public:
    CaptionCanvas(int width, int height);

    int width() const { return canvasWidth; }
    int height() const { return canvasHeight; }
    const std::uint8_t *rgba() const { return pixels.data(); }

    void clear();
    void paint(const PictureCaption &caption, const CaptionPlacement::Sizes &sizes);

private:
    struct Tap
    {
        int source;
        float weight;
    };
    // For each output pixel from first on, the source pixels it covers.
    static std::vector<std::vector<Tap>> taps(double position, double length, int sourceLength, int outputLength,
                                              int *first);
    void paintPiece(const PictureCaption::Piece &piece, const CaptionPlacement::Box &box);
    void blend(int x, int y, const float premultiplied[4]);

    int canvasWidth;
    int canvasHeight;
    std::vector<std::uint8_t> pixels;
    // Rows painted since the last clear, so clearing touches only those.
    int dirtyTop;
    int dirtyBottom;
};

#endif // CAPTIONCANVAS_H
