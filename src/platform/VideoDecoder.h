#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace platform {

// Decodes a video file's frames with FFmpeg's libraries, in order, into
// 32-bit X8R8G8B8 rows of a given size.
class VideoDecoder {
  public:
    // Null with the reason in *error when the file has no video stream
    // the libraries can decode.
    static std::unique_ptr<VideoDecoder> Open(const std::string& hostPath, std::uint32_t width,
                                              std::uint32_t height, std::string* error);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Writes frame `index` (from 0) into `pixels`, rows `pitch` bytes
    // apart. Decodes on from the last frame; an earlier frame starts the
    // file over. Past the last frame the last one stays. False when not a
    // single frame can be decoded.
    bool ReadFrame(std::uint32_t index, std::uint8_t* pixels, std::uint32_t pitch);

  private:
    VideoDecoder() = default;
    bool Rewind();
    // Decodes the next frame into m_frame; false at the end or on error.
    bool DecodeNext();

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;   // the frame last decoded
    AVFrame* m_decoded = nullptr; // where the next one is received
    AVPacket* m_packet = nullptr;
    SwsContext* m_scaler = nullptr;
    int m_stream = -1;
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::int64_t m_current = -1; // index of the frame in m_frame
    bool m_draining = false;
    bool m_ended = false;
};

} // namespace platform
