#include "mediafile.h"

#include "libav.h"
#include "transcoder/files/pathname.h"
#include "transcoder/run/stopsignals.h"

#include <climits>
#include <sys/stat.h>

MediaFile::MediaFile(const LibAv &libAv)
    : libAv(libAv)
{
}

MediaFile::~MediaFile()
{
    if (context)
        libAv.avformat_close_input(&context);
}

int MediaFile::interrupted(void *opaque)
{
    auto *file = static_cast<MediaFile *>(opaque);
    // While packets are read, bytes coming in are progress: one read of a
    // sparse subtitle track skips all the video up to its next line, which
    // on a slow disk takes longer than any stall.
    const AVIOContext *io = file->context ? file->context->pb : nullptr;
    if (file->readStall.count() > 0 && io && io->pos != file->lastPosition) {
        file->lastPosition = io->pos;
        file->deadline = Clock::now() + file->readStall;
    }
    return StopSignals::requested() || Clock::now() > file->deadline;
}

bool MediaFile::fail(const std::string &what, int errorCode)
{
    lastError = libAv.failureText(what, errorCode);
    return false;
}

bool MediaFile::open(const std::string &path, std::chrono::milliseconds timeLimit)
{
    deadline = Clock::now() + timeLimit;
    // Folders and FIFOs would block or mislead the demuxers; only regular
    // files (or the /proc link of our own unnamed output) are media here.
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return fail("cannot read the file", AVERROR(errno));
    if (S_ISDIR(info.st_mode))
        return fail("is a folder, not a media file");
    if (!S_ISREG(info.st_mode))
        return fail("is not a regular file");
    if (info.st_size == 0)
        return fail("the file is empty");
    fileBytes = double(info.st_size);
    if (!libAv.isLoaded())
        return fail(libAv.error());

    context = libAv.avformat_alloc_context();
    if (!context)
        return fail("out of memory");
    context->interrupt_callback.callback = &MediaFile::interrupted;
    context->interrupt_callback.opaque = this;
    AVDictionary *options = nullptr;
    libAv.av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int result = libAv.avformat_open_input(&context, PathName::url(path).c_str(), nullptr, &options);
    libAv.av_dict_free(&options);
    if (result < 0) {
        context = nullptr;
        if (Clock::now() > deadline)
            return fail("reading the file took too long");
        return fail("not a readable media file", result);
    }
    return true;
}

bool MediaFile::findStreams()
{
    if (streamsFound)
        return true;
    const int result = libAv.avformat_find_stream_info(context, nullptr);
    if (result < 0)
        return fail("cannot read the file's streams", result);
    streamsFound = true;
    return true;
}

std::string MediaFile::formatName() const
{
    return context && context->iformat ? context->iformat->name : "";
}

bool MediaFile::isCoverArt(const AVStream *stream)
{
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && (stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

MediaFile::Stream MediaFile::firstStream(int mediaType) const
{
    Stream found;
    for (unsigned i = 0; context && i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->codecpar->codec_type != mediaType || isCoverArt(stream))
            continue;
        found.index = int(i);
        found.codecId = stream->codecpar->codec_id;
        found.codecTag = stream->codecpar->codec_tag;
        break;
    }
    return found;
}

MediaFile::Stream MediaFile::videoStream() const
{
    return firstStream(AVMEDIA_TYPE_VIDEO);
}

MediaFile::Stream MediaFile::audioStream() const
{
    return firstStream(AVMEDIA_TYPE_AUDIO);
}

bool MediaFile::hasVideoPacket()
{
    const Stream video = videoStream();
    if (!video.exists())
        return false;
    bool found = false;
    readOn([&](const AVPacket &packet) {
        found = packet.stream_index == video.index && packet.size > 0;
        return !found;
    });
    return found;
}

std::int64_t MediaFile::startTime() const
{
    return context && context->start_time != AV_NOPTS_VALUE ? context->start_time : 0;
}

const AVStream *MediaFile::stream(int index) const
{
    return context && index >= 0 && unsigned(index) < context->nb_streams ? context->streams[index] : nullptr;
}

void MediaFile::readOnly(const std::function<bool(int)> &reads)
{
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = !reads || reads(int(i)) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

bool MediaFile::seek(std::int64_t target, Clock::time_point until, const std::function<bool(int)> &reads)
{
    readOnly(reads);
    deadline = until;
    return libAv.avformat_seek_file(context, -1, INT64_MIN, target, target, 0) >= 0;
}

int MediaFile::readOn(const std::function<bool(const AVPacket &)> &onPacket)
{
    AVPacket *packet = libAv.av_packet_alloc();
    if (!packet)
        return AVERROR(ENOMEM);
    bool more = true;
    int result = 0;
    while (more && (result = libAv.av_read_frame(context, packet)) >= 0) {
        more = onPacket(*packet);
        libAv.av_packet_unref(packet);
    }
    libAv.av_packet_free(&packet);
    return more ? result : 0;
}

bool MediaFile::readPackets(int streamIndex, std::chrono::milliseconds stallLimit,
                            const std::function<bool(const AVPacket &)> &onPacket)
{
    if (!stream(streamIndex))
        return fail("no such stream");
    readOnly([streamIndex](int index) { return index == streamIndex; });
    readStall = stallLimit;
    deadline = Clock::now() + stallLimit;
    const int result = readOn([&](const AVPacket &packet) {
        deadline = Clock::now() + stallLimit;
        return packet.stream_index != streamIndex || onPacket(packet);
    });
    readStall = std::chrono::milliseconds(0);
    if (result == 0 || result == AVERROR_EOF)
        return result != 0;
    if (StopSignals::requested())
        return fail("stopped");
    if (Clock::now() > deadline)
        return fail("reading the file took too long");
    return fail("cannot read the file", result);
}
