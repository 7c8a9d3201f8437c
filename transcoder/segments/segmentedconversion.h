#ifndef SEGMENTEDCONVERSION_H
#define SEGMENTEDCONVERSION_H

#include "transcoder/encoding/ffmpegcommand.h"
#include "transcoder/run/ffmpegjobs.h"
#include "segmentplan.h"
#include "transcoder/files/temporaryoutput.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class LibAv;
class ProgressSender;

// A conversion whose video several ffmpeg processes encode at once, one
// segment each, while another encodes the sound over the whole input; the
// pieces are then copied into the output as one file. Every piece is a
// temporary file beside the output, under the same rules as the output's.
class SegmentedConversion
{
public:
    struct Setup
    {
        // The pieces lie beside it.
        std::string outputPath;
        bool withSound = false;
        int jobs = 1;
        FfmpegProcess::Limits limits;
        // Files every segment's ffmpeg reads besides the input (the captions to burn).
        std::vector<int> sharedInputs;
        // The size the joined file keeps within. A fitted picture (a rate
        // above 0) is shared among the segments by their playing time.
        struct Size
        {
            long long limitBytes = 0;
            long long videoRate = 0;
            long long videoBytes = 0;
        } size;
    };

    // How many segments a conversion of so many jobs may be cut into. Every
    // segment is a file held open until the join, which reads them all at
    // once; so their number is bounded, by a few rounds of the jobs and by
    // the descriptors this process may still open.
    static int mostSegments(int jobs);

    // command, plan and libAv must outlive the conversion.
    SegmentedConversion(const Setup &setup, const FfmpegCommand &command, const SegmentPlan &plan,
                        const LibAv &libAv);

    // The sound, when it was encoded already.
    void takeSound(std::unique_ptr<TemporaryOutput> encoded);
    // Writes into output; false with error() when anything failed or was stopped.
    bool run(TemporaryOutput &output, ProgressSender &sender);
    const std::string &error() const { return lastError; }

private:
    struct Piece
    {
        std::unique_ptr<TemporaryOutput> file;
        bool hasPictures = false;
    };

    bool createPiece(Piece &piece);
    bool encode(ProgressSender &sender);
    bool carryBuffer();
    bool reencode(std::size_t index, long long bufferBits, std::vector<long long> &pictureBits);
    bool lowerOvershooting(long long outputBytes);
    long long startBits(std::size_t index, long long available) const;
    bool readPictures(Piece &piece, std::vector<long long> &pictureBits);
    bool join(TemporaryOutput &output);
    bool fail(const std::string &reason);
    std::vector<int> inheritedWith(int fd) const;

    Setup setup;
    const FfmpegCommand &command;
    const SegmentPlan &plan;
    const LibAv &libAv;
    std::vector<Piece> segments;
    Piece sound;
    bool soundEncoded = false;
    // Each segment's rate (0: as the quality gives) and its pictures' bytes.
    std::vector<long long> rates;
    std::vector<long long> videoBytes;
    std::string lastError;
};

#endif // SEGMENTEDCONVERSION_H
