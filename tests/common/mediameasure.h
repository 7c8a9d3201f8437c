#ifndef MEDIAMEASURE_H
#define MEDIAMEASURE_H

#include "mediaread.h"

#include <QList>
#include <QPair>
#include <QRect>
#include <QString>

// The measures the tests once took with ffmpeg's analysis filters, taken as
// those filters define them, so that the tests' thresholds keep meaning
// what they meant.
namespace MediaMeasure {

// The mean of the luma within an area of a picture, as signalstats' YAVG
// gives it for a picture cropped to that area. Nothing outside the picture
// is counted.
double meanLuma(const MediaRead::Picture &picture, const QRect &area);

// How pictures are paired for PSNR: by their times, each picture of the
// converted file with the reference's latest one not after it (as the psnr
// filter pairs them), or one by one in their order whatever their times.
enum class Pairing { ByTime, ByOrder };

// How close the pictures of a conversion stay to a reference, in dB, as the
// psnr filter's average: the mean squared error of every paired picture
// over all its planes, averaged over the pairs. A reference in another pixel
// format is converted to the conversion's as ffmpeg would convert it. 1000
// for identical pictures, -1 when either cannot be read or their sizes
// differ.
double psnr(const QString &converted, const QString &reference, Pairing pairing = Pairing::ByTime);

// The sound's level in windows of so many samples, as astats' overall
// RMS_level with a reset every window: each window's start in seconds and
// its level in dBFS (minus infinity for silence).
QList<QPair<double, double>> rmsLevels(const MediaRead::Sound &sound, int windowSamples);

} // namespace MediaMeasure

#endif // MEDIAMEASURE_H
