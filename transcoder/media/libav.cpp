#include "libav.h"

extern "C" {
#include <libavcodec/version_major.h>
#include <libavformat/version_major.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
}

#include <dlfcn.h>

namespace {
// The sonames of the versions whose headers we were compiled against: another
// major version may lay out the structures we read differently.
constexpr const char avutilSoname[] = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);
constexpr const char avcodecSoname[] = "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR);
constexpr const char avformatSoname[] = "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR);
} // namespace

void *LibAv::open(const char *soname)
{
    // Lazy binding, as the loader would have done at start-up: most of the
    // dependencies' functions are never called by a probe. Our own entry
    // points are all checked by dlsym() below.
    void *library = dlopen(soname, RTLD_LAZY | RTLD_LOCAL);
    if (!library) {
        const char *reason = dlerror();
        lastError = std::string("cannot load ") + soname + ": " + (reason ? reason : "unknown reason");
    }
    return library;
}

template<typename Function>
bool LibAv::resolve(void *library, const char *name, Function *function)
{
    *function = reinterpret_cast<Function>(dlsym(library, name));
    if (!*function)
        lastError = std::string("the libav libraries lack ") + name;
    return *function != nullptr;
}

bool LibAv::load()
{
    if (loaded)
        return true;
    // libavformat brings the other two along; opening them by name as well
    // only takes a reference, and looks each function up where it is defined.
    avformat = open(avformatSoname);
    avcodec = avformat ? open(avcodecSoname) : nullptr;
    avutil = avcodec ? open(avutilSoname) : nullptr;
    if (!avutil || !resolveAll()) {
        unloadAfterFailure();
        return false;
    }
    loaded = true;
    // Failures are reported as one line of our own, not libav's chatter.
    av_log_set_level(AV_LOG_QUIET);
    return true;
}

#define LIBAV_RESOLVE(library, function) resolve(library, #function, &function)

bool LibAv::resolveAll()
{
    return LIBAV_RESOLVE(avutil, av_log_set_level)
        && LIBAV_RESOLVE(avutil, av_strerror)
        && LIBAV_RESOLVE(avutil, av_dict_set)
        && LIBAV_RESOLVE(avutil, av_dict_free)
        && LIBAV_RESOLVE(avutil, av_rescale_q)
        && LIBAV_RESOLVE(avcodec, av_packet_alloc)
        && LIBAV_RESOLVE(avcodec, av_packet_unref)
        && LIBAV_RESOLVE(avcodec, av_packet_free)
        && LIBAV_RESOLVE(avformat, avformat_alloc_context)
        && LIBAV_RESOLVE(avformat, avformat_open_input)
        && LIBAV_RESOLVE(avformat, avformat_find_stream_info)
        && LIBAV_RESOLVE(avformat, avformat_close_input)
        && LIBAV_RESOLVE(avformat, av_read_frame)
        && LIBAV_RESOLVE(avformat, avformat_seek_file)
        && LIBAV_RESOLVE(avutil, av_dict_get)
        && LIBAV_RESOLVE(avcodec, avcodec_find_decoder)
        && LIBAV_RESOLVE(avcodec, avcodec_alloc_context3)
        && LIBAV_RESOLVE(avcodec, avcodec_parameters_to_context)
        && LIBAV_RESOLVE(avcodec, avcodec_open2)
        && LIBAV_RESOLVE(avcodec, avcodec_decode_subtitle2)
        && LIBAV_RESOLVE(avcodec, avsubtitle_free)
        && LIBAV_RESOLVE(avcodec, avcodec_free_context)
        && LIBAV_RESOLVE(avutil, av_frame_alloc)
        && LIBAV_RESOLVE(avutil, av_frame_get_buffer)
        && LIBAV_RESOLVE(avutil, av_frame_free)
        && LIBAV_RESOLVE(avcodec, av_packet_rescale_ts)
        && LIBAV_RESOLVE(avcodec, avcodec_find_encoder)
        && LIBAV_RESOLVE(avcodec, avcodec_send_frame)
        && LIBAV_RESOLVE(avcodec, avcodec_receive_packet)
        && LIBAV_RESOLVE(avcodec, avcodec_parameters_from_context)
        && LIBAV_RESOLVE(avformat, avformat_alloc_output_context2)
        && LIBAV_RESOLVE(avformat, avformat_new_stream)
        && LIBAV_RESOLVE(avformat, avformat_free_context)
        && LIBAV_RESOLVE(avformat, avformat_write_header)
        && LIBAV_RESOLVE(avformat, av_write_frame)
        && LIBAV_RESOLVE(avformat, av_write_trailer)
        && LIBAV_RESOLVE(avformat, avio_open)
        && LIBAV_RESOLVE(avformat, avio_closep)
        && LIBAV_RESOLVE(avutil, av_pix_fmt_desc_get)
        && LIBAV_RESOLVE(avcodec, avcodec_send_packet)
        && LIBAV_RESOLVE(avcodec, avcodec_receive_frame);
}

#undef LIBAV_RESOLVE

std::string LibAv::failureText(const std::string &what, int errorCode) const
{
    if (errorCode >= 0)
        return what;
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(errorCode, text, sizeof(text));
    return what + ": " + text;
}

void LibAv::unloadAfterFailure()
{
    for (void **library : {&avutil, &avcodec, &avformat}) {
        if (*library)
            dlclose(*library);
        *library = nullptr;
    }
    loaded = false;
}
