#include "platform/PcmSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// One sample of a decoded frame as a value in -1..1.
float SampleOf(const AVFrame& frame, int channel, int index)
{
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const int channels = frame.ch_layout.nb_channels;
    const std::uint8_t* plane = frame.extended_data[planar ? channel : 0];
    const int at = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return (plane[at] - 128) / 128.0f;
    case AV_SAMPLE_FMT_S16: {
        std::int16_t value;
        std::memcpy(&value, plane + at * 2, 2);
        return value / 32768.0f;
    }
    case AV_SAMPLE_FMT_S32: {
        std::int32_t value;
        std::memcpy(&value, plane + at * 4, 4);
        return static_cast<float>(value / 2147483648.0);
    }
    case AV_SAMPLE_FMT_FLT: {
        float value;
        std::memcpy(&value, plane + at * 4, 4);
        return value;
    }
    case AV_SAMPLE_FMT_DBL: {
        double value;
        std::memcpy(&value, plane + at * 8, 8);
        return static_cast<float>(value);
    }
    default:
        return 0.0f;
    }
}

class VideoSoundSource final : public PcmSource {
  public:
    ~VideoSoundSource() override
    {
        av_packet_free(&m_packet);
        av_frame_free(&m_frame);
        avcodec_free_context(&m_codec);
        avformat_close_input(&m_format);
    }

    bool Open(const std::string& hostPath, std::string* error)
    {
        if (avformat_open_input(&m_format, hostPath.c_str(), nullptr, nullptr) < 0 ||
            avformat_find_stream_info(m_format, nullptr) < 0)
            return Fail(error, "the file's streams cannot be read");
        const AVCodec* codec = nullptr;
        m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (m_stream < 0 || !codec)
            return Fail(error, "the file holds no sound the libraries decode");
        m_codec = avcodec_alloc_context3(codec);
        if (!m_codec || avcodec_parameters_to_context(m_codec, m_format->streams[m_stream]->codecpar) < 0 ||
            avcodec_open2(m_codec, codec, nullptr) < 0)
            return Fail(error, "the sound's decoder does not open");
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_frame || !m_packet)
            return Fail(error, "out of memory");
        m_channels = m_codec->ch_layout.nb_channels == 1 ? 1u : 2u;
        if (m_codec->sample_rate <= 0 || m_codec->ch_layout.nb_channels < 1)
            return Fail(error, "the sound has no rate or no channels");
        return true;
    }

    std::uint32_t GetRate() const override { return static_cast<std::uint32_t>(m_codec->sample_rate); }
    std::uint32_t GetChannels() const override { return m_channels; }
    std::int64_t GetFrames() const override
    {
        const AVStream* stream = m_format->streams[m_stream];
        if (stream->duration <= 0)
            return 0;
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, m_codec->sample_rate});
    }

    std::uint32_t Read(std::int16_t* out, std::uint32_t frames) override
    {
        std::uint32_t done = 0;
        while (done < frames) {
            if (m_pendingAt >= m_pending.size() && !DecodeNext())
                break;
            const std::size_t available = (m_pending.size() - m_pendingAt) / m_channels;
            const std::size_t take = std::min<std::size_t>(available, frames - done);
            std::copy_n(m_pending.begin() + static_cast<std::ptrdiff_t>(m_pendingAt), take * m_channels,
                        out + static_cast<std::size_t>(done) * m_channels);
            m_pendingAt += take * m_channels;
            done += static_cast<std::uint32_t>(take);
        }
        return done;
    }

    // Starts over and skips to the frame: the sound of a video is short.
    bool Seek(std::int64_t frame) override
    {
        if (av_seek_frame(m_format, m_stream, 0, AVSEEK_FLAG_BACKWARD) < 0)
            return false;
        avcodec_flush_buffers(m_codec);
        m_pending.clear();
        m_pendingAt = 0;
        m_draining = false;
        m_ended = false;
        std::vector<std::int16_t> skipped(4096 * m_channels);
        while (frame > 0) {
            const auto step = static_cast<std::uint32_t>(std::min<std::int64_t>(frame, 4096));
            const std::uint32_t got = Read(skipped.data(), step);
            if (got == 0)
                break;
            frame -= got;
        }
        return true;
    }

  private:
    static bool Fail(std::string* error, const char* text)
    {
        if (error)
            *error = text;
        return false;
    }

    // Decodes the next frame into m_pending as 16-bit samples.
    bool DecodeNext()
    {
        while (!m_ended) {
            const int received = avcodec_receive_frame(m_codec, m_frame);
            if (received == 0) {
                Convert();
                return true;
            }
            if (received != AVERROR(EAGAIN) || m_draining) {
                m_ended = true;
                break;
            }
            if (av_read_frame(m_format, m_packet) < 0) {
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

    void Convert()
    {
        const int count = m_frame->nb_samples;
        m_pending.resize(static_cast<std::size_t>(count) * m_channels);
        m_pendingAt = 0;
        const int wide = m_frame->ch_layout.nb_channels;
        for (int i = 0; i < count; ++i)
            for (std::uint32_t c = 0; c < m_channels; ++c) {
                const float value = SampleOf(*m_frame, std::min<int>(static_cast<int>(c), wide - 1), i);
                const float clamped = std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
                m_pending[static_cast<std::size_t>(i) * m_channels + c] =
                    static_cast<std::int16_t>(std::lround(clamped * 32767.0f));
            }
        av_frame_unref(m_frame);
    }

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_stream = -1;
    std::uint32_t m_channels = 2;
    std::vector<std::int16_t> m_pending;
    std::size_t m_pendingAt = 0;
    bool m_draining = false;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<PcmSource> OpenVideoSound(const std::string& hostPath, std::string* error)
{
    auto source = std::make_unique<VideoSoundSource>();
    if (!source->Open(hostPath, error))
        return nullptr;
    return source;
}

} // namespace platform
