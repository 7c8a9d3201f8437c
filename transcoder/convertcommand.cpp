#include "convertcommand.h"

#include "transcoder/encoding/colourconversion.h"
#include "transcoder/encoding/ffmpegcommand.h"
#include "transcoder/encoding/fieldsurvey.h"
#include "transcoder/encoding/outputbudget.h"
#include "transcoder/run/ffmpegjobs.h"
#include "transcoder/media/colourreader.h"
#include "transcoder/media/inputfactsreader.h"
#include "transcoder/media/mediafile.h"
#include "transcoder/media/playingtimereader.h"
#include "transcoder/files/diagnostics.h"
#include "transcoder/files/pathname.h"
#include "transcoder/run/progressreader.h"
#include "transcoder/run/progresssender.h"
#include "transcoder/segments/seeksettler.h"
#include "transcoder/segments/segmentedconversion.h"
#include "transcoder/run/stopsignals.h"
#include "transcoder/files/temporaryoutput.h"
#include "transcoder/tracks/languagecode.h"
#include "transcoder/tracks/trackdescriptions.h"
#include "transcoder/tracks/readerlanguage.h"
#include "transcoder/tracks/trackchoice.h"

#include "protocol/toolprotocol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {
constexpr std::uint32_t xvidTag = MKTAG('X', 'V', 'I', 'D');

// A number from the environment within [lowest, highest], else the default.
double setting(const char *name, double lowest, double highest, double byDefault)
{
    const char *text = std::getenv(name);
    char *end = nullptr;
    const double value = text ? std::strtod(text, &end) : 0;
    if (!text || end == text || *end || !(value >= lowest && value <= highest))
        return byDefault;
    return value;
}

// A time from the environment, from a tenth of a second up.
std::chrono::milliseconds durationSetting(const char *name, double highestSeconds, double byDefault)
{
    return std::chrono::milliseconds(std::llround(setting(name, 0.1, highestSeconds, byDefault) * 1000));
}

// A language as the tracks line carries it: its two-letter code where it
// has one, letters only.
std::string protocolLanguage(const std::string &tag)
{
    std::string code = LanguageCode::primary(tag);
    for (const std::string &form : LanguageCode::forms(tag)) {
        if (form.size() == 2) {
            code = form;
            break;
        }
    }
    const bool letters = !code.empty() && code.size() <= std::size_t(tracksLongestLanguage)
                         && std::all_of(code.begin(), code.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    return letters ? code : tracksUnknownLanguage;
}

// Where the rate control still overshoots, the picture is encoded again at
// a lower rate; twice more has always been enough.
constexpr int fitRounds = 3;

long long fileBytes(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 ? (long long)info.st_size : -1;
}
} // namespace

ToolSettings ToolSettings::fromEnvironment()
{
    ToolSettings settings;
    settings.limits = {durationSetting("TARVELO_STALL_SECONDS", 86400, defaultStallSeconds),
                       durationSetting("TARVELO_STOP_GRACE_SECONDS", 60, defaultStopGraceSeconds)};
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    settings.encodeJobs = int(setting("TARVELO_ENCODE_JOBS", 1, 64, double(std::clamp(cores, 1L, 64L))));
    settings.segmentSeconds = setting("TARVELO_SEGMENT_SECONDS", 1, 86400, defaultSegmentSeconds);
    settings.readerLanguage = ReaderLanguage::fromEnvironment();
    const char *limitText = std::getenv("TARVELO_MAX_OUTPUT_MB");
    settings.outputLimitBytes = OutputBudget::limitBytes(limitText);
    settings.outputLimitMegabytes = OutputBudget::limitMegabytes(limitText);
    return settings;
}

ConvertCommand::ConvertCommand(const std::string &inputPath, const std::string &outputPath, int quality,
                               const ToolSettings &settings)
    : inputPath(inputPath)
    , outputPath(outputPath)
    , quality(quality)
    , settings(settings)
    , subtitles(libAv, inputPath, outputPath, settings.limits.stall)
    , captions(libAv, inputPath, outputPath, settings.limits.stall)
{
}

int ConvertCommand::run()
{
    if (!StopSignals::install()) {
        fail("cannot watch for stop signals");
        return 1;
    }
    if (!checkPaths())
        return failureStatus();
    TemporaryOutput output(outputPath);
    if (!output.create()) {
        fail(output.error());
        return failureStatus();
    }
    if (!convert(output) || !publish(output))
        return failureStatus();
    return 0;
}

bool ConvertCommand::fail(const std::string &reason)
{
    Diagnostics::note(reason);
    return false;
}

int ConvertCommand::failureStatus() const
{
    return StopSignals::requested() ? 128 + StopSignals::signalNumber() : 1;
}

// Refused before anything is written: a conversion onto its own input would
// destroy the input, and a folder cannot become a file.
bool ConvertCommand::checkPaths()
{
    struct stat inputInfo, outputInfo;
    if (stat(inputPath.c_str(), &inputInfo) != 0)
        return fail(PathName::printable(inputPath) + ": cannot read the file");
    if (stat(outputPath.c_str(), &outputInfo) != 0)
        return true;
    outputExisted = true;
    if (inputInfo.st_dev == outputInfo.st_dev && inputInfo.st_ino == outputInfo.st_ino)
        return fail("the output is the input file itself");
    if (S_ISDIR(outputInfo.st_mode))
        return fail(PathName::printable(outputPath) + ": the output is a folder");
    return true;
}

// Returns why the input cannot be converted, or nothing when it can.
std::string ConvertCommand::readInput()
{
    if (!libAv.load())
        return libAv.error();
    MediaFile input(libAv);
    // The streams are read, not only the headers: the output's size, rate
    // and sound are fitted to the input's.
    if (!input.open(inputPath, MediaFile::openTimeLimit) || !input.findStreams())
        return inputPath + ": " + input.error();
    if (!input.videoStream().exists())
        return inputPath + ": the file has no video";
    std::vector<StreamDescription> streams = describeTracks(input);
    const std::string &reader = settings.readerLanguage;
    const int sound = TrackChoice::sound(streams, reader);
    inputFacts = readInputFacts(input, sound);
    const ColourConversion colour(inputFacts);
    if (!colour.refusal().empty())
        return inputPath + ": " + colour.refusal();
    // Read before anything else moves the file on from its first pictures.
    if (colour.isHdr() && inputFacts.colour.masteringPeak <= 0 && inputFacts.colour.maxContentLight <= 0)
        ColourReader(libAv).addFirstPictureLight(input, input.videoStream().index, MediaFile::openTimeLimit,
                                                 inputFacts.colour);
    // Without a duration the conversion still runs; only progress is not sent.
    duration = readPlayingSeconds(input);
    if (TrackChoice::needsCueCounts(streams))
        countCues(input, streams, cueCountTimeLimit);
    // A subtitle file kept beside the input wins over every track.
    const TrackChoice::Subtitles chosen = subtitles.findSidecar(reader) ? TrackChoice::Subtitles()
                                                                        : TrackChoice::subtitles(streams, reader, sound);
    for (const StreamDescription &stream : streams) {
        if (stream.index == sound)
            soundLanguage = stream.language;
        if (stream.index == chosen.text)
            subtitles.choose(stream);
        if (stream.index == chosen.picture)
            captions.choose(stream, chosen.forcedOnly);
    }
    return {};
}

bool ConvertCommand::convert(TemporaryOutput &output)
{
    // ffmpeg's command depends on what the input holds, so the input is read
    // first; that takes milliseconds. An input we cannot read, or a stop
    // request meanwhile, ends the conversion before ffmpeg starts.
    const std::string inputError = readInput();
    if (!inputError.empty())
        return fail(inputError);
    if (StopSignals::requested())
        return fail(StopSignals::stopReason());
    ProgressSender sender(duration);
    const int jobs = settings.encodeJobs;
    if (!surveyFields(jobs))
        return fail(StopSignals::stopReason());
    FfmpegCommand command(inputPath, quality, inputFacts);
    pulldownNote = Pulldown::describe(command.envelope().pulldown(), fieldsSurveyed);
    if (!burnCaptions(command))
        return fail(StopSignals::stopReason());
    SegmentPlan plan(inputFacts, duration, settings.segmentSeconds, jobs, SegmentedConversion::mostSegments(jobs));
    if (plan.isSegmented() && !settleSeeks(plan))
        plan = SegmentPlan(inputFacts, duration, settings.segmentSeconds, 1, 1);
    std::unique_ptr<TemporaryOutput> sound;
    if (!planSize(command, sound))
        return false;
    const bool encoded = plan.isSegmented() ? encodeInSegments(command, output, plan, jobs, sender, std::move(sound))
                                            : encodeInOne(command, output, sender);
    if (!encoded || !checkWritten(output))
        return false;
    if (!subtitles.write(outputExisted))
        return fail(StopSignals::stopReason());
    sender.finish();
    return true;
}

// The limit is known before anything is encoded; a film that cannot fit
// it whatever it holds gets the rate that fills it, from its playing time
// and its sound, encoded first (sound is the small part of the work).
bool ConvertCommand::planSize(const FfmpegCommand &command, std::unique_ptr<TemporaryOutput> &sound)
{
    const long long limitBytes = settings.outputLimitBytes;
    if (limitBytes <= 0)
        return fail("TARVELO_MAX_OUTPUT_MB is not a whole number of MB from 1 up");
    const InputFacts::Rate rate = command.envelope().frameRate();
    const long long pictures = std::llround(std::ceil(duration * rate.value())) + command.envelope().leadingPictures();
    if (OutputBudget::fitsAnyway(duration, pictures, limitBytes))
        return true;
    long long soundBytes = 0;
    if (inputFacts.soundStream >= 0) {
        sound = std::make_unique<TemporaryOutput>(outputPath);
        if (!sound->create())
            return fail(sound->error());
        FfmpegJobs ffmpeg(1, settings.limits);
        if (!ffmpeg.run({{command.soundArguments(sound->path()), {sound->fd()}, [](const char *, std::size_t) {}}}))
            return fail(ffmpeg.error());
        soundBytes = fileBytes(sound->fd());
    }
    budget = OutputBudget::plan({double(duration), pictures, soundBytes, command.envelope().width(),
                                 command.envelope().height()},
                                limitBytes);
    if (budget.verdict == OutputBudget::Plan::Verdict::Refused)
        return fail("the output cannot fit in " + std::to_string(settings.outputLimitMegabytes) + " MB: "
                    + budget.reason);
    return true;
}

// Where the rate could carry film by pulldown, the detector looks at
// stretches of the pictures first, on every core. A stretch it cannot read
// tells nothing, and the film is then converted as it comes; the
// conversion itself says what is wrong with such a file. False only on a
// stop request.
bool ConvertCommand::surveyFields(int jobs)
{
    fieldsSurveyed = PlayerEnvelope(inputFacts).mayCarryFilm();
    if (!fieldsSurveyed)
        return true;
    const std::vector<FieldSurvey::Stretch> stretches = FieldSurvey::stretches(duration);
    std::vector<FieldSurvey> surveys(stretches.size());
    std::vector<FfmpegJobs::Job> survey;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        survey.push_back({FieldSurvey::arguments(inputPath, stretches[i]), {},
                          [&surveys, i](const char *data, std::size_t size) { surveys[i].feed(data, size); }});
    }
    FfmpegJobs ffmpeg(jobs, settings.limits);
    if (!ffmpeg.run(survey))
        return !StopSignals::requested();
    for (const FieldSurvey &stretch : surveys) {
        for (const InputFacts::FieldSample &sample : stretch.samples())
            inputFacts.fieldSamples.push_back(sample);
    }
    return true;
}

bool ConvertCommand::encodeInOne(const FfmpegCommand &command, TemporaryOutput &output, ProgressSender &sender)
{
    ProgressReader reader;
    std::vector<int> inherited = {output.fd()};
    if (captions.exists())
        inherited.push_back(captions.videoFd());
    long long rate = budget.videoBitsPerSecond;
    for (int round = 0;; ++round) {
        const FfmpegJobs::Job job = {command.arguments(output.path(), rate), inherited,
                                     [&](const char *data, std::size_t size) {
                                         if (reader.feed(data, size))
                                             sender.report(reader.seconds());
                                     }};
        FfmpegJobs ffmpeg(1, settings.limits);
        if (!ffmpeg.run({job}))
            return fail(ffmpeg.error());
        const long long size = fileBytes(output.fd());
        if (size <= settings.outputLimitBytes)
            return true;
        if (rate <= 0 || round == fitRounds)
            return fail(overLimit(size));
        // What is not picture stays as planned.
        const long long beside = settings.outputLimitBytes - budget.videoBytes;
        rate = OutputBudget::lowered(rate, duration, budget.videoBytes, size - beside);
    }
}

std::string ConvertCommand::overLimit(long long size) const
{
    return "the output came to " + std::to_string(size) + " bytes, over the "
           + std::to_string(settings.outputLimitMegabytes)
           + " MB it may take";
}

// The chosen picture subtitles, decoded before ffmpeg starts: every
// process of the conversion reads them. False only on a stop request.
bool ConvertCommand::burnCaptions(FfmpegCommand &command)
{
    CaptionPlacement::Sizes sizes;
    sizes.pictureWidth = inputFacts.quarterTurn ? inputFacts.height : inputFacts.width;
    sizes.pictureHeight = inputFacts.quarterTurn ? inputFacts.width : inputFacts.height;
    sizes.outputWidth = command.envelope().width();
    sizes.outputHeight = command.envelope().height();
    if (!captions.write(sizes, command.captionShift(), duration))
        return false;
    if (captions.exists())
        command.burnCaptions(captions.videoPath(), captions.shown());
    return true;
}

// A film whose seeks cannot be settled (the input unreadable now, or its
// later segments decodable only from the start) is encoded in one go.
bool ConvertCommand::settleSeeks(SegmentPlan &plan)
{
    MediaFile file(libAv);
    return file.open(inputPath, MediaFile::openTimeLimit) && file.findStreams() && SeekSettler(file, plan).settle();
}

bool ConvertCommand::encodeInSegments(const FfmpegCommand &command, TemporaryOutput &output, const SegmentPlan &plan,
                                      int jobs, ProgressSender &sender, std::unique_ptr<TemporaryOutput> sound)
{
    SegmentedConversion::Setup setup = {outputPath, inputFacts.soundStream >= 0, jobs, settings.limits, {}, {}};
    if (captions.exists())
        setup.sharedInputs = {captions.videoFd()};
    setup.size = {settings.outputLimitBytes, budget.videoBitsPerSecond, budget.videoBytes};
    SegmentedConversion conversion(setup, command, plan, libAv);
    conversion.takeSound(std::move(sound));
    return conversion.run(output, sender) || fail(conversion.error());
}

bool ConvertCommand::checkWritten(const TemporaryOutput &output)
{
    MediaFile written(libAv);
    if (!written.open(output.path(), MediaFile::openTimeLimit))
        return fail("ffmpeg wrote no readable AVI file: " + written.error());
    const MediaFile::Stream video = written.videoStream();
    const MediaFile::Stream audio = written.audioStream();
    if (written.formatName() != "avi" || video.codecId != AV_CODEC_ID_MPEG4 || video.codecTag != xvidTag)
        return fail("ffmpeg wrote something other than MPEG-4 video in AVI");
    if (inputFacts.soundStream >= 0 && audio.codecId != AV_CODEC_ID_MP3)
        return fail("ffmpeg wrote no MP3 audio");
    if (!written.hasVideoPacket())
        return fail("ffmpeg wrote no pictures");
    return true;
}

// Once the file is in place the conversion has happened; a stop request that
// arrives during these last steps waits until the marker is out.
bool ConvertCommand::publish(TemporaryOutput &output)
{
    StopSignals::block();
    if (StopSignals::requested())
        return fail(StopSignals::stopReason());
    if (!output.commit())
        return fail(output.error());
    subtitles.publish();
    // What was done is told of a file that was converted; a failed one has
    // its reason alone.
    Diagnostics::note(ColourConversion(inputFacts).summary());
    Diagnostics::note(pulldownNote);
    tellTracks();
    if (budget.verdict == OutputBudget::Plan::Verdict::Fitted)
        std::printf("%s%lld\n", fittedPrefix, settings.outputLimitMegabytes);
    std::printf("%s\n", successMarker);
    std::fflush(stdout);
    return true;
}

void ConvertCommand::tellTracks() const
{
    const std::string sound = inputFacts.soundStream >= 0 ? protocolLanguage(soundLanguage) : tracksNone;
    std::string kind = tracksNone;
    std::string language = tracksNone;
    if (captions.exists()) {
        kind = tracksInPicture;
        language = protocolLanguage(captions.language());
    } else if (subtitles.published()) {
        kind = tracksInFile;
        language = protocolLanguage(subtitles.publishedLanguage());
    }
    std::printf("%s%s %s %s\n", tracksPrefix, sound.c_str(), kind.c_str(), language.c_str());
}
