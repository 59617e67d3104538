#include "platform/VideoDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace platform {
namespace {

std::string ErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return text;
}

bool Fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::Open(const std::string& hostPath, std::uint32_t width,
                                                 std::uint32_t height, std::string* error)
{
    std::unique_ptr<VideoDecoder> decoder(new VideoDecoder());
    decoder->m_width = width;
    decoder->m_height = height;
    if (width == 0 || height == 0) {
        Fail(error, "no frame size");
        return nullptr;
    }
    int result = avformat_open_input(&decoder->m_format, hostPath.c_str(), nullptr, nullptr);
    if (result < 0) {
        Fail(error, "the file does not open: " + ErrorText(result));
        return nullptr;
    }
    result = avformat_find_stream_info(decoder->m_format, nullptr);
    if (result < 0) {
        Fail(error, "the file's streams cannot be read: " + ErrorText(result));
        return nullptr;
    }
    const AVCodec* codec = nullptr;
    decoder->m_stream = av_find_best_stream(decoder->m_format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (decoder->m_stream < 0 || !codec) {
        Fail(error, "the file holds no video the libraries decode");
        return nullptr;
    }
    decoder->m_codec = avcodec_alloc_context3(codec);
    if (!decoder->m_codec ||
        avcodec_parameters_to_context(decoder->m_codec,
                                      decoder->m_format->streams[decoder->m_stream]->codecpar) < 0 ||
        avcodec_open2(decoder->m_codec, codec, nullptr) < 0) {
        Fail(error, "the video's decoder does not open");
        return nullptr;
    }
    decoder->m_frame = av_frame_alloc();
    decoder->m_decoded = av_frame_alloc();
    decoder->m_packet = av_packet_alloc();
    if (!decoder->m_frame || !decoder->m_decoded || !decoder->m_packet) {
        Fail(error, "out of memory");
        return nullptr;
    }
    return decoder;
}

VideoDecoder::~VideoDecoder()
{
    sws_freeContext(m_scaler);
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    av_frame_free(&m_decoded);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
}

bool VideoDecoder::Rewind()
{
    if (av_seek_frame(m_format, m_stream, 0, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    m_current = -1;
    m_draining = false;
    m_ended = false;
    return true;
}

bool VideoDecoder::DecodeNext()
{
    while (!m_ended) {
        // Received into a frame of its own: a call that finds nothing
        // clears the frame it is given, and the last frame must stay.
        const int received = avcodec_receive_frame(m_codec, m_decoded);
        if (received == 0) {
            av_frame_unref(m_frame);
            av_frame_move_ref(m_frame, m_decoded);
            ++m_current;
            return true;
        }
        if (received != AVERROR(EAGAIN) || m_draining) {
            m_ended = true;
            break;
        }
        const int read = av_read_frame(m_format, m_packet);
        if (read < 0) {
            // Out of packets: what the decoder still holds comes next.
            m_draining = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (m_packet->stream_index == m_stream)
            avcodec_send_packet(m_codec, m_packet);
        av_packet_unref(m_packet);
    }
    return false;
}

bool VideoDecoder::ReadFrame(std::uint32_t index, std::uint8_t* pixels, std::uint32_t pitch)
{
    if (!pixels)
        return false;
    if (static_cast<std::int64_t>(index) < m_current && !Rewind())
        return false;
    while (m_current < static_cast<std::int64_t>(index) && DecodeNext()) {
    }
    if (m_current < 0)
        return false;
    m_scaler = sws_getCachedContext(m_scaler, m_frame->width, m_frame->height,
                                    static_cast<AVPixelFormat>(m_frame->format), static_cast<int>(m_width),
                                    static_cast<int>(m_height), AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr,
                                    nullptr, nullptr);
    if (!m_scaler)
        return false;
    std::uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
    const int pitches[4] = {static_cast<int>(pitch), 0, 0, 0};
    sws_scale(m_scaler, m_frame->data, m_frame->linesize, 0, m_frame->height, planes, pitches);
    return true;
}

} // namespace platform
