#ifndef LIBAV_H
#define LIBAV_H

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixdesc.h>
}

#include <string>

// The libav functions the tool calls, loaded at run time. Linked the usual way,
// libavformat and its ~130 dependent libraries would be mapped before main(),
// ~30 ms that a conversion would spend before ffmpeg even starts; loaded here,
// that cost is paid only where libav is needed, and while ffmpeg is already at work.
// The members carry the functions' own names, so calls read like plain libav.
//
// Once loaded, the libraries stay until the process ends: unloading some 130
// libraries takes milliseconds, just before the exit that drops them anyway.
class LibAv
{
public:
    LibAv() = default;
    LibAv(const LibAv &) = delete;
    LibAv &operator=(const LibAv &) = delete;

    // Loads the libraries of the major versions the tool was compiled
    // against and resolves every function below, or none.
    bool load();
    bool isLoaded() const { return loaded; }
    const std::string &error() const { return lastError; }
    // What failed, followed by libav's words for a negative error code.
    std::string failureText(const std::string &what, int errorCode) const;

    // Callable only while isLoaded().
    decltype(&::av_log_set_level) av_log_set_level = nullptr;
    decltype(&::av_strerror) av_strerror = nullptr;
    decltype(&::av_dict_set) av_dict_set = nullptr;
    decltype(&::av_dict_free) av_dict_free = nullptr;
    decltype(&::av_rescale_q) av_rescale_q = nullptr;
    decltype(&::av_packet_alloc) av_packet_alloc = nullptr;
    decltype(&::av_packet_unref) av_packet_unref = nullptr;
    decltype(&::av_packet_free) av_packet_free = nullptr;
    decltype(&::avformat_alloc_context) avformat_alloc_context = nullptr;
    decltype(&::avformat_open_input) avformat_open_input = nullptr;
    decltype(&::avformat_find_stream_info) avformat_find_stream_info = nullptr;
    decltype(&::avformat_close_input) avformat_close_input = nullptr;
    decltype(&::av_read_frame) av_read_frame = nullptr;
    decltype(&::avformat_seek_file) avformat_seek_file = nullptr;
    // Reading a subtitle track.
    decltype(&::av_dict_get) av_dict_get = nullptr;
    decltype(&::avcodec_find_decoder) avcodec_find_decoder = nullptr;
    decltype(&::avcodec_alloc_context3) avcodec_alloc_context3 = nullptr;
    decltype(&::avcodec_parameters_to_context) avcodec_parameters_to_context = nullptr;
    decltype(&::avcodec_open2) avcodec_open2 = nullptr;
    decltype(&::avcodec_decode_subtitle2) avcodec_decode_subtitle2 = nullptr;
    decltype(&::avsubtitle_free) avsubtitle_free = nullptr;
    decltype(&::avcodec_free_context) avcodec_free_context = nullptr;
    // Writing the picture captions to burn as a video of their own.
    decltype(&::av_frame_alloc) av_frame_alloc = nullptr;
    decltype(&::av_frame_get_buffer) av_frame_get_buffer = nullptr;
    decltype(&::av_frame_free) av_frame_free = nullptr;
    decltype(&::av_packet_rescale_ts) av_packet_rescale_ts = nullptr;
    decltype(&::avcodec_find_encoder) avcodec_find_encoder = nullptr;
    decltype(&::avcodec_send_frame) avcodec_send_frame = nullptr;
    decltype(&::avcodec_receive_packet) avcodec_receive_packet = nullptr;
    decltype(&::avcodec_parameters_from_context) avcodec_parameters_from_context = nullptr;
    decltype(&::avformat_alloc_output_context2) avformat_alloc_output_context2 = nullptr;
    decltype(&::avformat_new_stream) avformat_new_stream = nullptr;
    decltype(&::avformat_free_context) avformat_free_context = nullptr;
    decltype(&::avformat_write_header) avformat_write_header = nullptr;
    decltype(&::av_write_frame) av_write_frame = nullptr;
    decltype(&::av_write_trailer) av_write_trailer = nullptr;
    decltype(&::avio_open) avio_open = nullptr;
    decltype(&::avio_closep) avio_closep = nullptr;
    // Reading how the pictures' colours are coded, and the light the first
    // picture says it holds.
    decltype(&::av_pix_fmt_desc_get) av_pix_fmt_desc_get = nullptr;
    decltype(&::avcodec_send_packet) avcodec_send_packet = nullptr;
    decltype(&::avcodec_receive_frame) avcodec_receive_frame = nullptr;

private:
    void *open(const char *soname);
    template<typename Function>
    bool resolve(void *library, const char *name, Function *function);
    bool resolveAll();
    void unloadAfterFailure();

    void *avutil = nullptr;
    void *avcodec = nullptr;
    void *avformat = nullptr;
    bool loaded = false;
    std::string lastError;
};

#endif // LIBAV_H
