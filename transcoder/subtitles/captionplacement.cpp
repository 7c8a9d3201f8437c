#include "captionplacement.h"

#include <algorithm>

CaptionPlacement::CaptionPlacement(const Sizes &sizes, const PictureCaption &caption)
{
    const double pictureWidth = std::max(sizes.pictureWidth, 1);
    const double pictureHeight = std::max(sizes.pictureHeight, 1);
    const bool canvasKnown = sizes.canvasWidth > 0 && sizes.canvasHeight > 0;
    const double canvasWidth = canvasKnown ? sizes.canvasWidth : pictureWidth;
    const double canvasHeight = canvasKnown ? sizes.canvasHeight : pictureHeight;
    // The canvas covers the picture: a crop shows as a canvas larger than
    // the picture in one direction only, a scaled film in both alike.
    scale = std::max(pictureWidth / canvasWidth, pictureHeight / canvasHeight);
    offsetX = (pictureWidth - canvasWidth * scale) / 2;
    offsetY = (pictureHeight - canvasHeight * scale) / 2;
    outputX = sizes.outputWidth / pictureWidth;
    outputY = sizes.outputHeight / pictureHeight;

    double left = 0, top = 0, right = 0, bottom = 0;
    bool first = true;
    for (const PictureCaption::Piece &piece : caption.pieces) {
        left = first ? piece.x : std::min<double>(left, piece.x);
        top = first ? piece.y : std::min<double>(top, piece.y);
        right = first ? piece.x + piece.width : std::max<double>(right, piece.x + piece.width);
        bottom = first ? piece.y + piece.height : std::max<double>(bottom, piece.y + piece.height);
        first = false;
    }
    // The caption's pieces together, on the canvas.
    const Box bounds{left, top, right - left, bottom - top};

    // The whole caption on the picture: shrunk if it is larger, then moved inside.
    const double width = bounds.width * scale;
    const double height = bounds.height * scale;
    const double shrink = std::min({1.0, width > 0 ? pictureWidth / width : 1.0,
                                    height > 0 ? pictureHeight / height : 1.0});
    const double centreX = offsetX + (bounds.x + bounds.width / 2) * scale;
    const double centreY = offsetY + (bounds.y + bounds.height / 2) * scale;
    const double fittedWidth = width * shrink;
    const double fittedHeight = height * shrink;
    const double x = std::clamp(centreX - fittedWidth / 2, 0.0, pictureWidth - fittedWidth);
    const double y = std::clamp(centreY - fittedHeight / 2, 0.0, pictureHeight - fittedHeight);
    // From here, a canvas point p goes to (p - bounds corner) * scale * shrink + (x, y).
    scale *= shrink;
    offsetX = x - bounds.x * scale;
    offsetY = y - bounds.y * scale;
}

CaptionPlacement::Box CaptionPlacement::place(const PictureCaption::Piece &piece) const
{
    return {(offsetX + piece.x * scale) * outputX, (offsetY + piece.y * scale) * outputY,
            piece.width * scale * outputX, piece.height * scale * outputY};
}
