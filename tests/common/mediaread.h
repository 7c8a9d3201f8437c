#ifndef MEDIAREAD_H
#define MEDIAREAD_H

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

// Reading results back with libav in the test's own process: the same
// demuxers and decoders that ffprobe and ffmpeg would use, without the cost
// of starting either for every look at a file.
namespace MediaRead {

struct Packet
{
    qint64 size = 0;
    bool key = false;
    qint64 pts = 0;   // in the stream's time base; the same value for every packet without one
    QByteArray data;
};

// One decoded picture, valid only during the call that is handed it.
struct Picture
{
    double time = 0;   // seconds on the file's timeline
    bool key = false;
    char type = '?';   // 'I', 'P', 'B', ...
    int width = 0;
    int height = 0;
    int format = -1;   // libav's pixel format
    const unsigned char *data[4] = {};
    int linesize[4] = {};
    QHash<QString, QString> tags;   // what filters tell of it
};

// The first sound stream, decoded at its own rate, its channels interleaved,
// each sample scaled to -1..1 as libav's float formats hold it.
struct Sound
{
    int rate = 0;
    int channels = 0;
    double start = 0;   // the first sample's time, in seconds
    QList<float> samples;
};

// What ffprobe -show_format -show_streams prints as JSON, for the fields
// the tests read: format_name and duration; each stream's index,
// codec_type, codec_name, codec_tag_string, width, height, pix_fmt,
// sample_aspect_ratio, r_frame_rate, sample_rate, channels and duration.
// Empty when the file cannot be read.
QJsonObject facts(const QString &path);

// The packets of the first stream of a type ("video", "audio", "subtitle"),
// in the order the demuxer gives them.
QList<Packet> packets(const QString &path, const QString &type);

// Decodes the first picture stream, handing each picture over in output
// order. False when the file or its pictures cannot be read.
bool pictures(const QString &path, const std::function<void(const Picture &)> &visit);

// Decodes the first picture stream through a chain of libavfilter's
// filters, as ffmpeg's -vf would, and hands over each picture that comes
// out of it.
bool filteredPictures(const QString &path, const QString &filters, const std::function<void(const Picture &)> &visit);

Sound sound(const QString &path);

} // namespace MediaRead

#endif // MEDIAREAD_H
