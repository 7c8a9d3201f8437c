#ifndef SUBTITLEOUTPUT_H
#define SUBTITLEOUTPUT_H

#include "transcoder/media/streamdescription.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class LibAv;
class TemporaryOutput;

// NAME.srt beside NAME.avi, the name players look for: a subtitle file kept
// beside the input, copied byte for byte, else the embedded text track chosen
// for the reader. It is written like the AVI, into a temporary file that
// takes its name only after the AVI has taken its own, so a crash can leave
// an AVI without its subtitles but never subtitles without their AVI.
// Subtitles never fail the conversion: what goes wrong is said on standard
// error, and there is no NAME.srt.
class SubtitleOutput
{
public:
    // libAv must outlive the object.
    // stallLimit: how long reading the input may wait on one read.
    SubtitleOutput(const LibAv &libAv, const std::string &inputPath, const std::string &outputPath,
                   std::chrono::milliseconds stallLimit);
    ~SubtitleOutput();
    SubtitleOutput(const SubtitleOutput &) = delete;
    SubtitleOutput &operator=(const SubtitleOutput &) = delete;

    // Looks for NAME.srt, else NAME.<language>.srt in the reader's language,
    // beside the input; true when there is one. It wins over any track.
    bool findSidecar(const std::string &reader);
    // The text track to write where no subtitle file is kept beside the input.
    void choose(const StreamDescription &textTrack) { track = textTrack; }
    // Writes the chosen subtitles into the temporary file. An existing NAME.srt
    // is only replaced together with an AVI that existed before (the user
    // chose to overwrite it). False only when a stop request ended the work.
    bool write(bool replaceExisting);
    // Gives the written file its name; the AVI must have its own already.
    void publish();
    // After publish(): whether NAME.srt was written, and the language of its
    // track (empty for a file kept beside the input, or when unknown).
    bool published() const { return isPublished; }
    const std::string &publishedLanguage() const { return track.language; }

private:
    bool mayWrite(bool replaceExisting);
    bool writeTrack();
    bool copySidecar();
    bool writeAll(const char *data, std::size_t size);

    const LibAv &libAv;
    std::chrono::milliseconds stallLimit;
    std::string inputPath;
    std::string outputPath;
    std::string subtitlePath;
    std::string sidecarPath;
    StreamDescription track;   // index -1: no text track chosen
    bool isPublished = false;
    std::unique_ptr<TemporaryOutput> file;
};

#endif // SUBTITLEOUTPUT_H
