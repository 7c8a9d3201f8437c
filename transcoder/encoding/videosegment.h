#ifndef VIDEOSEGMENT_H
#define VIDEOSEGMENT_H

// A run of output pictures that one ffmpeg process encodes on its own, on
// the single run's output timeline. The first segment has no start and the
// last no end; one alone is the whole film.
struct VideoSegment
{
    // The output picture that opens it.
    long long firstPicture = 0;
    // Its span on the output timeline.
    double start = 0;
    double end = 0;
    bool hasStart = false;
    bool hasEnd = false;
    // Where its decoding starts; 0 for from the beginning.
    double seek = 0;
};

#endif // VIDEOSEGMENT_H
