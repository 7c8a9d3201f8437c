#include "colourconversion.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <algorithm>
#include <cstdio>

namespace {

// Players take pictures of more lines than SD's as HD, and HD as BT.709.
constexpr int sdLines = 576;
// Dolby Vision's base layers that players show: HDR10, SDR, HLG, and the
// HDR10 base under profile 7's enhancement layer.
constexpr int doviHdr10Base = 1;
constexpr int doviSdrBase = 2;
constexpr int doviHlgBase = 4;
constexpr int doviUhdBlurayBase = 6;
constexpr int doviProfileWithoutBase = 5;

struct MatrixNames
{
    const char *shown;
    const char *colorspace;   // ffmpeg's colorspace filter
    const char *zscale;
};

MatrixNames names(ColourConversion::Matrix matrix)
{
    switch (matrix) {
    case ColourConversion::Matrix::Bt709:
        return {"BT.709", "bt709", "709"};
    case ColourConversion::Matrix::Bt2020:
        return {"BT.2020", "bt2020ncl", "2020_ncl"};
    case ColourConversion::Matrix::Fcc:
        return {"FCC", "fcc", "fcc"};
    case ColourConversion::Matrix::Smpte240m:
        // zscale knows the matrix by its number only.
        return {"SMPTE 240M", "smpte240m", "7"};
    case ColourConversion::Matrix::Bt601:
        break;
    }
    return {"BT.601", "bt470bg", "170m"};
}

std::string number(const char *format, double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

} // namespace

ColourConversion::ColourConversion(const InputFacts &facts)
    : colour(facts.colour)
    , height(facts.height)
{
}

// Tags that name no matrix the players' world knows (reserved values,
// constant luminance, ICtCp, YCgCo) count as none.
bool ColourConversion::tagged(Matrix &found) const
{
    switch (colour.matrix) {
    case AVCOL_SPC_BT709:
        found = Matrix::Bt709;
        return true;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
        found = Matrix::Bt601;
        return true;
    case AVCOL_SPC_BT2020_NCL:
        found = Matrix::Bt2020;
        return true;
    case AVCOL_SPC_FCC:
        found = Matrix::Fcc;
        return true;
    case AVCOL_SPC_SMPTE240M:
        found = Matrix::Smpte240m;
        return true;
    default:
        return false;
    }
}

bool ColourConversion::matrixTagged() const
{
    Matrix found;
    return colour.rgb || tagged(found);
}

ColourConversion::Matrix ColourConversion::matrix() const
{
    // RGB pictures become Y'CbCr in the working format, which ffmpeg codes
    // as BT.601.
    Matrix found = Matrix::Bt601;
    if (colour.rgb || tagged(found))
        return found;
    // HDR is BT.2020 by definition; players read anything else by its size.
    if (isHdr())
        return Matrix::Bt2020;
    return height > sdLines ? Matrix::Bt709 : Matrix::Bt601;
}

ColourConversion::Transfer ColourConversion::transfer() const
{
    if (colour.transfer == AVCOL_TRC_SMPTE2084)
        return Transfer::Pq;
    if (colour.transfer == AVCOL_TRC_ARIB_STD_B67)
        return Transfer::Hlg;
    // Dolby Vision's base layer may go untagged where the record names it.
    if (colour.doviProfile >= 0 && colour.transfer == AVCOL_TRC_UNSPECIFIED) {
        if (colour.doviCompatibility == doviHdr10Base || colour.doviCompatibility == doviUhdBlurayBase)
            return Transfer::Pq;
        if (colour.doviCompatibility == doviHlgBase)
            return Transfer::Hlg;
    }
    return Transfer::Sdr;
}

// Profile 5 codes its pictures in Dolby's own colours, which only its
// reshaping turns back into a film; Debian's ffmpeg has none, and the
// pictures would come out purple and green.
std::string ColourConversion::refusal() const
{
    if (colour.doviProfile < 0)
        return {};
    const bool base = colour.doviCompatibility == doviHdr10Base || colour.doviCompatibility == doviSdrBase
                      || colour.doviCompatibility == doviHlgBase || colour.doviCompatibility == doviUhdBlurayBase;
    if (colour.doviProfile != doviProfileWithoutBase && base)
        return {};
    return "Dolby Vision profile " + std::to_string(colour.doviProfile)
           + " has no HDR10, HLG or SDR picture within, and ffmpeg cannot reshape its colours";
}

bool ColourConversion::peakTold() const
{
    return colour.maxContentLight > 0 || colour.masteringPeak > 0;
}

// The film's brightest light where it tells it (the mastering display's
// limits what it shows, so the lower of the two), within what the roll-off
// has room for and, for HLG, what its signal reaches.
double ColourConversion::peak() const
{
    double told = assumedPeak;
    if (colour.maxContentLight > 0 && colour.masteringPeak > 0)
        told = std::min(colour.maxContentLight, colour.masteringPeak);
    else if (peakTold())
        told = std::max(colour.maxContentLight, colour.masteringPeak);
    const double highest = transfer() == Transfer::Hlg ? 1000 : 10000;
    return std::clamp(told, 2 * referenceWhite, highest);
}

bool ColourConversion::wideGamutSdr() const
{
    return !isHdr() && colour.primaries == AVCOL_PRI_BT2020;
}

std::string ColourConversion::workingFormat() const
{
    // HDR keeps its ten bits until the tone curve, so that skies do not band.
    return isHdr() ? "yuv420p10le" : "yuv420p";
}

std::string ColourConversion::filters() const
{
    if (isHdr())
        return hdrFilters();
    const Matrix from = matrix();
    if (from == Matrix::Bt601 && !wideGamutSdr())
        return {};
    // Primaries and transfer stay unless BT.2020's gamut needs bringing in.
    const std::string primaries = wideGamutSdr() ? "bt2020" : "bt709";
    const std::string transfer = wideGamutSdr() ? "bt2020-10" : "bt709";
    return std::string("colorspace=ispace=") + names(from).colorspace + ":space=bt470bg:iprimaries=" + primaries
           + ":primaries=bt709:itrc=" + transfer + ":trc=bt709:irange=tv:range=tv,";
}

// The curve (Moebius') is the identity up to the knee, in light relative
// to reference white, and reaches TV white at the peak with its slope
// falling smoothly; light beyond a peak the film told wrongly is held at
// white.
ColourConversion::ToneCurve ColourConversion::toneCurve() const
{
    const double j = knee, top = peak() / referenceWhite;
    ToneCurve curve;
    curve.a = -j * j * (top - 1) / (j * j - 2 * j + top);
    curve.b = (j * j - 2 * j * top + top) / (top - 1);
    curve.scale = (curve.b + j) * (curve.b + j) / (curve.b - curve.a);
    return curve;
}

double ColourConversion::ToneCurve::operator()(double light) const
{
    if (light <= knee)
        return light;
    return std::min(scale * (light + a) / (light + b), 1.0);
}

// zimg brings the pictures into BT.709's primaries in linear light (no hue
// shifts) and codes them as PQ at twelve bits, finer than eight bits of
// SDR anywhere; each channel then passes the tone curve through a table, and
// the scaler codes them as BT.601 with dithering, so that skies do not
// band. A curve on each channel lets saturated highlights pale towards
// white as film does; one that scales each pixel as a whole (ffmpeg's
// tonemap) costs three times all the rest of the colour work.
std::string ColourConversion::hdrFilters() const
{
    std::string primaries = "2020";
    if (colour.primaries == AVCOL_PRI_BT709)
        primaries = "709";
    else if (colour.primaries == AVCOL_PRI_SMPTE432)
        primaries = "smpte432";
    const std::string transfer = this->transfer() == Transfer::Pq ? "smpte2084" : "arib-std-b67";
    const ToneCurve curve = toneCurve();
    // PQ's code to light relative to reference white, the curve, then
    // BT.1886's code for it. The table is worked out for every 16-bit value
    // whatever the depth; those past twelve bits cost nothing.
    const std::string channel =
        "'if(gt(val,maxval),0,st(0,pow(val/maxval,1/78.84375));"
        "st(1,pow(max(ld(0)-0.8359375,0)/(18.8515625-18.6875*ld(0)),1/0.1593017578125)*"
        + number("%.6f", 10000 / referenceWhite) + ");st(2,if(lte(ld(1)," + number("%g", knee) + "),ld(1),min("
        + number("%.6f", curve.scale) + "*(ld(1)+" + number("%.6f", curve.a) + ")/(ld(1)+"
        + number("%.6f", curve.b) + "),1)));maxval*pow(ld(2),1/2.4))'";
    return std::string("zscale=min=") + names(matrix()).zscale + ":pin=" + primaries + ":tin=" + transfer
           + ":rin=tv:t=smpte2084:npl=" + number("%g", referenceWhite) + ":p=709,format=gbrp12le,"
           + "lutrgb=r=" + channel + ":g=" + channel + ":b=" + channel + ","
           + "scale=out_color_matrix=bt601:out_range=tv,format=yuv420p,";
}

std::string ColourConversion::summary() const
{
    const Matrix from = matrix();
    std::string text = std::string("colours: ") + (colour.rgb ? "RGB" : names(from).shown);
    if (!matrixTagged())
        text += isHdr() ? std::string(" (untagged, as HDR is)")
                        : " (untagged, by its " + std::to_string(height) + " lines)";
    static const char *const transfers[] = {"SDR", "PQ HDR", "HLG HDR"};
    text += std::string(" ") + transfers[int(transfer())];
    if (colour.doviProfile >= 0)
        text += ", Dolby Vision profile " + std::to_string(colour.doviProfile) + " shown by its base";
    if (isHdr() && colour.bitDepth > 0 && colour.bitDepth <= 8)
        text += ", HDR tags on " + std::to_string(colour.bitDepth) + "-bit pictures, read by the tags";
    if (isHdr())
        return text + ", brought to SDR BT.601 with highlights rolled off from "
               + number("%.0f", peak()) + " cd/m2" + (peakTold() ? "" : " (assumed)");
    if (wideGamutSdr())
        return text + ", converted to BT.601 in BT.709's gamut";
    if (from == Matrix::Bt601)
        return text + ", kept";
    return text + ", converted to BT.601";
}
