#ifndef CAPTIONPLACEMENT_H
#define CAPTIONPLACEMENT_H

#include "picturecaption.h"

// Where a caption lands in the output picture. The captions' canvas is
// laid over the film's picture as the disc showed it: scaled with the
// picture, and centred where the picture was cropped (a Blu-ray's captions
// are placed on 1920x1080 also when the film was cut to 1920x800). A
// caption that would then stick out, or lie in a cropped-away bar, is moved
// (and if need be shrunk) as a whole until it lies inside the picture; from
// there it is scaled as the picture is to the output's size.
class CaptionPlacement
{
public:
    struct Sizes
    {
        int canvasWidth = 0;    // 0: the canvas is the picture
        int canvasHeight = 0;
        int pictureWidth = 0;   // the picture as shown, before scaling
        int pictureHeight = 0;
        int outputWidth = 0;
        int outputHeight = 0;
    };
    struct Box
    {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
    };

    // Placement of the whole caption, whose pieces are then mapped alike.
    CaptionPlacement(const Sizes &sizes, const PictureCaption &caption);

    // A piece's box in output pixels.
    Box place(const PictureCaption::Piece &piece) const;

private:
    double scale = 1;        // canvas to picture
    double offsetX = 0;      // where the canvas's corner lies on the picture
    double offsetY = 0;
    double outputX = 1;      // picture to output
    double outputY = 1;
};

#endif // CAPTIONPLACEMENT_H
