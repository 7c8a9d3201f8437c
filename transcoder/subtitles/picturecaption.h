#ifndef PICTURECAPTION_H
#define PICTURECAPTION_H

#include <cstdint>
#include <vector>

// One caption of a picture subtitle track as it is shown: its pieces
// (a Blu-ray caption may hold two, a TV one several regions), each a bitmap
// on the captions' canvas, in straight-alpha ARGB words (0xAARRGGBB, as
// libavcodec gives its palettes). No pieces: the screen is cleared.
struct PictureCaption
{
    static constexpr std::int64_t openEnd = -1;

    struct Piece
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> pixels;   // width * height, row by row
    };

    // Milliseconds on the output's timeline; openEnd until the next caption.
    std::int64_t start = 0;
    std::int64_t end = openEnd;
    // The size the pieces' positions refer to; 0 when the track does not tell.
    int canvasWidth = 0;
    int canvasHeight = 0;
    std::vector<Piece> pieces;
};

#endif // PICTURECAPTION_H
