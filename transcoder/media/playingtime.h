#ifndef PLAYINGTIME_H
#define PLAYINGTIME_H

// How long a film plays, judged from what its container and its streams
// tell. Only pictures and sound play: a subtitle or data stream, whose last
// cue may be left open for weeks, makes no film longer, and neither does a
// header whose claim the streams contradict. All in seconds from the file's
// start; a negative value stands for "not known".
class PlayingTime
{
public:
    static constexpr double unknown = -1;

    explicit PlayingTime(double containerSeconds);

    // plays: a picture stream (not cover art) or a sound stream.
    void addStream(bool plays, double endSeconds);
    // Where the playing streams' packets were seen to end, read through to
    // the file's end from a seek to near the answer.
    void setEndOfPackets(double seconds) { packetsEnd = seconds; }

    double seconds() const;
    // Whether the answer wants checking against the packets at its end: it
    // rests on the container alone while a subtitle or data stream may have
    // made it, or it is longer than the file's bytes could play.
    bool isDoubtful(double fileBytes) const;
    // A playing packet ending at or after this bears the answer out.
    double confirmingEnd() const;

private:
    double claimed() const;
    static bool agree(double one, double other);

    double container;
    double playing = unknown;
    bool othersTimed = false;
    double packetsEnd = unknown;
};

#endif // PLAYINGTIME_H
