#include "subtitleoutput.h"

#include "transcoder/tracks/languagecode.h"
#include "transcoder/files/pathname.h"
#include "transcoder/run/stopsignals.h"
#include "subripfile.h"
#include "subtitletrack.h"
#include "trackname.h"
#include "transcoder/files/diagnostics.h"
#include "transcoder/files/temporaryoutput.h"

#include "posix/uniquefd.h"
#include "protocol/subtitlename.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isRegularFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool sameFile(const std::string &a, const std::string &b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

} // namespace

SubtitleOutput::SubtitleOutput(const LibAv &libAv, const std::string &inputPath, const std::string &outputPath,
                               std::chrono::milliseconds stallLimit)
    : libAv(libAv)
    , stallLimit(stallLimit)
    , inputPath(PathName::absolute(inputPath))
    , outputPath(PathName::absolute(outputPath))
    , subtitlePath(subtitlePathFor(this->outputPath))
{
}

SubtitleOutput::~SubtitleOutput() = default;

// NAME.srt, else NAME.<language>.srt in any of the reader's language's codes.
bool SubtitleOutput::findSidecar(const std::string &reader)
{
    const std::string stem = withoutExtension(inputPath);
    std::vector<std::string> candidates{subtitlePathFor(inputPath)};
    for (const std::string &code : LanguageCode::forms(reader)) {
        if (code.size() == 2 || code.size() == 3)
            candidates.push_back(stem + "." + code + ".srt");
    }
    for (const std::string &candidate : candidates) {
        if (isRegularFile(candidate) && !sameFile(candidate, inputPath)) {
            sidecarPath = candidate;
            return true;
        }
    }
    return false;
}

// Never onto the input or the AVI, nor onto what the user keeps there.
bool SubtitleOutput::mayWrite(bool replaceExisting)
{
    if (subtitlePath == outputPath || sameFile(subtitlePath, inputPath))
        return false;
    // The subtitle file kept beside the input is already where its copy would go.
    if (!sidecarPath.empty() && sameFile(sidecarPath, subtitlePath))
        return false;
    struct stat info;
    if (lstat(subtitlePath.c_str(), &info) == 0 && !replaceExisting) {
        Diagnostics::note(subtitlePath + " exists already and belongs to no AVI file replaced here; it is left as it is");
        return false;
    }
    return true;
}

bool SubtitleOutput::write(bool replaceExisting)
{
    if ((sidecarPath.empty() && track.index < 0) || !mayWrite(replaceExisting))
        return true;
    file = std::make_unique<TemporaryOutput>(subtitlePath);
    if (!file->create()) {
        Diagnostics::note("no subtitles: " + file->error());
        file.reset();
        return true;
    }
    const bool written = sidecarPath.empty() ? writeTrack() : copySidecar();
    if (!written)
        file.reset();
    return written || !StopSignals::requested();
}

bool SubtitleOutput::writeTrack()
{
    const int codePage = LanguageCode::codePage(track.language);
    SubtitleTrack reader(libAv);
    if (!reader.read(inputPath, track.index, codePage, stallLimit)) {
        if (!StopSignals::requested())
            Diagnostics::note(trackName(track) + " cannot be read, so there is no .srt file: " + reader.error());
        return false;
    }
    const std::string text = SubRipFile::text(reader.cues());
    if (text.empty()) {
        Diagnostics::note(trackName(track) + " holds no text, so there is no .srt file");
        return false;
    }
    const std::string bytes = SubRipFile::encoded(text, codePage);
    return writeAll(bytes.data(), bytes.size());
}

bool SubtitleOutput::copySidecar()
{
    const UniqueFd source(open(sidecarPath.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[65536];
    ssize_t size = -1;
    while (source.isValid() && (size = read(source.get(), buffer, sizeof(buffer))) != 0) {
        if (size < 0 && errno != EINTR)
            break;
        if (size > 0 && !writeAll(buffer, std::size_t(size)))
            return false;
    }
    if (size == 0)
        return true;
    Diagnostics::note(sidecarPath + ": cannot read the subtitles: " + std::strerror(errno));
    return false;
}

bool SubtitleOutput::writeAll(const char *data, std::size_t size)
{
    if (file->write(data, size))
        return true;
    Diagnostics::note(subtitlePath + ": cannot write the subtitles: " + std::strerror(errno));
    return false;
}

void SubtitleOutput::publish()
{
    if (file && !file->commit())
        Diagnostics::note(subtitlePath + ": " + file->error());
    else
        isPublished = file != nullptr;
    file.reset();
}
