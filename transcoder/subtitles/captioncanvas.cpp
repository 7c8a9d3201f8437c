#include "captioncanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CaptionCanvas::CaptionCanvas(int width, int height)
    : canvasWidth(std::max(width, 0))
    , canvasHeight(std::max(height, 0))
    , pixels(std::size_t(canvasWidth) * canvasHeight * 4, 0)
    , dirtyTop(canvasHeight)
    , dirtyBottom(0)
{
}

void CaptionCanvas::clear()
{
    if (dirtyTop < dirtyBottom)
        std::memset(pixels.data() + std::size_t(dirtyTop) * canvasWidth * 4, 0,
                    std::size_t(dirtyBottom - dirtyTop) * canvasWidth * 4);
    dirtyTop = canvasHeight;
    dirtyBottom = 0;
}

void CaptionCanvas::paint(const PictureCaption &caption, const CaptionPlacement::Sizes &sizes)
{
    const CaptionPlacement placement(sizes, caption);
    for (const PictureCaption::Piece &piece : caption.pieces)
        paintPiece(piece, placement.place(piece));
}

std::vector<std::vector<CaptionCanvas::Tap>> CaptionCanvas::taps(double position, double length, int sourceLength,
                                                                 int outputLength, int *first)
{
    const int begin = std::max(0, int(std::floor(position)));
    const int end = std::min(outputLength, int(std::ceil(position + length)));
    *first = begin;
    std::vector<std::vector<Tap>> all;
    if (length <= 0 || sourceLength <= 0 || begin >= end)
        return all;
    const double perOutput = sourceLength / length;   // source pixels per output pixel
    all.resize(std::size_t(end - begin));
    for (int o = begin; o < end; ++o) {
        const double from = (o - position) * perOutput;
        const double to = (o + 1 - position) * perOutput;
        for (int s = std::max(0, int(std::floor(from))); s < std::min(sourceLength, int(std::ceil(to))); ++s) {
            const double overlap = std::min<double>(to, s + 1) - std::max<double>(from, s);
            if (overlap > 0)
                all[std::size_t(o - begin)].push_back({s, float(overlap / perOutput)});
        }
    }
    return all;
}

void CaptionCanvas::paintPiece(const PictureCaption::Piece &piece, const CaptionPlacement::Box &box)
{
    if (piece.width <= 0 || piece.height <= 0
        || piece.pixels.size() < std::size_t(piece.width) * std::size_t(piece.height))
        return;
    int left = 0, top = 0;
    const auto columns = taps(box.x, box.width, piece.width, canvasWidth, &left);
    const auto rows = taps(box.y, box.height, piece.height, canvasHeight, &top);
    if (columns.empty() || rows.empty())
        return;
    // Across first, each source row into the output's columns, premultiplied.
    std::vector<float> across(std::size_t(piece.height) * columns.size() * 4, 0.0f);
    for (int y = 0; y < piece.height; ++y) {
        const std::uint32_t *source = piece.pixels.data() + std::size_t(y) * piece.width;
        float *target = across.data() + std::size_t(y) * columns.size() * 4;
        for (std::size_t x = 0; x < columns.size(); ++x) {
            for (const Tap &tap : columns[x]) {
                const std::uint32_t argb = source[tap.source];
                const float alpha = float(argb >> 24) / 255.0f * tap.weight;
                if (alpha <= 0)
                    continue;
                target[x * 4 + 0] += float((argb >> 16) & 0xff) * alpha;
                target[x * 4 + 1] += float((argb >> 8) & 0xff) * alpha;
                target[x * 4 + 2] += float(argb & 0xff) * alpha;
                target[x * 4 + 3] += alpha;
            }
        }
    }
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < columns.size(); ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (const Tap &tap : rows[y]) {
                const float *value = across.data() + (std::size_t(tap.source) * columns.size() + x) * 4;
                for (int c = 0; c < 4; ++c)
                    sum[c] += value[c] * tap.weight;
            }
            if (sum[3] > 0)
                blend(left + int(x), top + int(y), sum);
        }
    }
    dirtyTop = std::min(dirtyTop, top);
    dirtyBottom = std::max(dirtyBottom, top + int(rows.size()));
}

// The piece over what is painted already (pieces seldom overlap).
void CaptionCanvas::blend(int x, int y, const float premultiplied[4])
{
    std::uint8_t *pixel = pixels.data() + (std::size_t(y) * canvasWidth + x) * 4;
    const float alpha = std::min(premultiplied[3], 1.0f);
    const float below = float(pixel[3]) / 255.0f;
    const float outAlpha = alpha + below * (1 - alpha);
    if (outAlpha <= 0)
        return;
    for (int c = 0; c < 3; ++c) {
        const float value = premultiplied[c] + float(pixel[c]) * below * (1 - alpha);
        pixel[c] = std::uint8_t(std::clamp(value / outAlpha, 0.0f, 255.0f) + 0.5f);
    }
    pixel[3] = std::uint8_t(std::clamp(outAlpha * 255.0f, 0.0f, 255.0f) + 0.5f);
}
