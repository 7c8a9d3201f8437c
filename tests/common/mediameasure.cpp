#include "mediameasure.h"

#include <QByteArray>
#include <QSize>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A decoded picture kept beyond its decoder's frame: each plane packed
// without padding.
struct StoredPicture
{
    double time = 0;
    std::vector<QByteArray> planes;
};

struct StoredFilm
{
    int width = 0;
    int height = 0;
    int format = -1;
    std::vector<StoredPicture> pictures;
};

// The planes of an 8-bit planar picture format, their count and each one's
// size; nothing for a format the measures do not handle.
std::vector<QSize> planeSizes(int format, int width, int height)
{
    const AVPixFmtDescriptor *description = av_pix_fmt_desc_get(AVPixelFormat(format));
    if (!description || !(description->flags & AV_PIX_FMT_FLAG_PLANAR) || (description->flags & AV_PIX_FMT_FLAG_RGB)
        || description->comp[0].depth != 8)
        return {};
    std::vector<QSize> sizes;
    for (int plane = 0; plane < av_pix_fmt_count_planes(AVPixelFormat(format)); ++plane) {
        const bool chroma = plane == 1 || plane == 2;
        sizes.emplace_back(chroma ? AV_CEIL_RSHIFT(width, description->log2_chroma_w) : width,
                           chroma ? AV_CEIL_RSHIFT(height, description->log2_chroma_h) : height);
    }
    return sizes;
}

StoredPicture store(double time, const unsigned char *const data[4], const int linesize[4],
                    const std::vector<QSize> &sizes)
{
    StoredPicture stored{time, {}};
    for (size_t plane = 0; plane < sizes.size(); ++plane) {
        QByteArray packed;
        packed.reserve(sizes[plane].width() * sizes[plane].height());
        for (int line = 0; line < sizes[plane].height(); ++line)
            packed.append(reinterpret_cast<const char *>(data[plane] + line * linesize[plane]),
                          sizes[plane].width());
        stored.planes.push_back(packed);
    }
    return stored;
}

// Reads a film's pictures into memory, in the given format when one is
// given, as ffmpeg's automatic conversion in front of a filter would.
bool read(const QString &path, StoredFilm &film)
{
    const int wanted = film.format;
    SwsContext *converter = nullptr;
    uint8_t *converted[4] = {};
    int convertedLinesize[4] = {};
    bool fits = true;
    const bool decoded = MediaRead::pictures(path, [&](const MediaRead::Picture &picture) {
        if (film.format < 0)
            film.format = picture.format;
        if (film.width == 0) {
            film.width = picture.width;
            film.height = picture.height;
        }
        const std::vector<QSize> sizes = planeSizes(film.format, picture.width, picture.height);
        fits = fits && !sizes.empty() && picture.width == film.width && picture.height == film.height;
        if (!fits)
            return;
        if (picture.format == film.format) {
            film.pictures.push_back(store(picture.time, picture.data, picture.linesize, sizes));
            return;
        }
        if (!converter) {
            converter = sws_getContext(picture.width, picture.height, AVPixelFormat(picture.format), film.width,
                                       film.height, AVPixelFormat(wanted), SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!converter || av_image_alloc(converted, convertedLinesize, film.width, film.height,
                                             AVPixelFormat(wanted), 32) < 0) {
                fits = false;
                return;
            }
        }
        sws_scale(converter, picture.data, picture.linesize, 0, picture.height, converted, convertedLinesize);
        film.pictures.push_back(store(picture.time, converted, convertedLinesize, sizes));
    });
    sws_freeContext(converter);
    av_freep(&converted[0]);
    return decoded && fits && !film.pictures.empty();
}

// The squared error over all planes of two pictures, per sample.
double meanSquaredError(const StoredPicture &a, const StoredPicture &b)
{
    double sum = 0;
    qsizetype count = 0;
    for (size_t plane = 0; plane < a.planes.size(); ++plane) {
        const QByteArray &x = a.planes[plane], &y = b.planes[plane];
        for (qsizetype i = 0; i < x.size(); ++i) {
            const int difference = quint8(x[i]) - quint8(y[i]);
            sum += difference * difference;
        }
        count += x.size();
    }
    return count ? sum / double(count) : 0;
}

// The pairs the psnr filter's frame synchronisation makes: one for each
// converted picture, with the reference's latest picture at or before it,
// none before the reference's first; once the converted film has ended (at
// its last picture's end), one for each further reference picture, with the
// converted film's last.
std::vector<QPair<size_t, size_t>> pairsByTime(const std::vector<StoredPicture> &main,
                                                const std::vector<StoredPicture> &reference)
{
    constexpr double same = 1e-6;
    std::vector<QPair<size_t, size_t>> pairs;
    const double step = main.size() > 1 ? main.back().time - main[main.size() - 2].time : 0;
    const double mainEnd = main.back().time + step;
    size_t nextMain = 0, nextReference = 0;
    bool mainEnded = false;
    for (;;) {
        const double mainTime = nextMain < main.size() ? main[nextMain].time
                                                       : (mainEnded ? std::numeric_limits<double>::infinity() : mainEnd);
        const double referenceTime =
            nextReference < reference.size() ? reference[nextReference].time : std::numeric_limits<double>::infinity();
        const double now = std::min(mainTime, referenceTime);
        if (std::isinf(now))
            break;
        const bool referenceMoved = referenceTime <= now + same;
        if (referenceMoved)
            ++nextReference;
        bool ready = false;
        if (mainTime <= now + same) {
            if (nextMain < main.size()) {
                ++nextMain;
                ready = true;
            } else {
                mainEnded = true;
            }
        }
        ready = ready || (mainEnded && referenceMoved);
        if (ready && nextMain > 0 && nextReference > 0)
            pairs.emplace_back(nextMain - 1, nextReference - 1);
    }
    return pairs;
}

} // namespace

namespace MediaMeasure {

double meanLuma(const MediaRead::Picture &picture, const QRect &area)
{
    const QRect inside = area.intersected(QRect(0, 0, picture.width, picture.height));
    if (inside.isEmpty() || planeSizes(picture.format, picture.width, picture.height).empty())
        return -1;
    quint64 sum = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const unsigned char *line = picture.data[0] + qsizetype(y) * picture.linesize[0];
        for (int x = inside.left(); x <= inside.right(); ++x)
            sum += line[x];
    }
    return double(sum) / (double(inside.width()) * inside.height());
}

double psnr(const QString &converted, const QString &reference, Pairing pairing)
{
    StoredFilm main, compared;
    if (!read(converted, main))
        return -1;
    compared.format = main.format;
    if (!read(reference, compared) || compared.width != main.width || compared.height != main.height)
        return -1;
    if (pairing == Pairing::ByOrder) {
        for (size_t i = 0; i < main.pictures.size(); ++i)
            main.pictures[i].time = double(i);
        for (size_t i = 0; i < compared.pictures.size(); ++i)
            compared.pictures[i].time = double(i);
    }
    const std::vector<QPair<size_t, size_t>> pairs = pairsByTime(main.pictures, compared.pictures);
    if (pairs.empty())
        return -1;
    double errors = 0;
    for (const auto &[a, b] : pairs)
        errors += meanSquaredError(main.pictures[a], compared.pictures[b]);
    const double error = errors / double(pairs.size());
    return error > 0 ? 10 * std::log10(255.0 * 255.0 / error) : 1000;
}

QList<QPair<double, double>> rmsLevels(const MediaRead::Sound &sound, int windowSamples)
{
    QList<QPair<double, double>> levels;
    if (sound.channels <= 0 || sound.rate <= 0 || windowSamples <= 0)
        return levels;
    const qsizetype window = qsizetype(windowSamples) * sound.channels;
    for (qsizetype from = 0; from < sound.samples.size(); from += window) {
        double squares = 0;
        const qsizetype to = std::min(from + window, sound.samples.size());
        for (qsizetype i = from; i < to; ++i)
            squares += double(sound.samples[i]) * sound.samples[i];
        // The last window is padded with silence to its full length.
        const double level = 20 * std::log10(std::sqrt(squares / double(window)));
        levels.append({sound.start + double(from / sound.channels) / sound.rate, level});
    }
    return levels;
}

} // namespace MediaMeasure
