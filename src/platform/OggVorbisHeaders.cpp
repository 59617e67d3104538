#include "platform/OggVorbisHeaders.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstdio>
#include <cstring>

namespace platform {
namespace {

constexpr long kReadBytes = 4096;
// Encoders put the three headers at the start; a stream whose headers do
// not end within this many bytes is taken as malformed.
constexpr long kMostHeaderBytes = 4 * 1024 * 1024;
constexpr int kHeaderCount = 3;

enum class Verdict { Decodes, Malformed, NotVorbis };

class HeaderReader {
  public:
    explicit HeaderReader(std::FILE* file) : m_file(file)
    {
        ogg_sync_init(&m_sync);
        vorbis_info_init(&m_info);
        vorbis_comment_init(&m_comment);
    }
    ~HeaderReader()
    {
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
        if (m_streamOpen)
            ogg_stream_clear(&m_stream);
        ogg_sync_clear(&m_sync);
    }
    HeaderReader(const HeaderReader&) = delete;
    HeaderReader& operator=(const HeaderReader&) = delete;

    Verdict Read(std::string& reason)
    {
        int headers = 0;
        while (headers < kHeaderCount) {
            ogg_page page;
            if (!NextPage(page)) {
                reason = "its Vorbis headers end early";
                return Verdict::Malformed;
            }
            if (!m_streamOpen) {
                ogg_stream_init(&m_stream, ogg_page_serialno(&page));
                m_streamOpen = true;
            }
            // Pages of other streams interleaved with the first are not its.
            if (ogg_stream_pagein(&m_stream, &page) != 0)
                continue;
            ogg_packet packet;
            int got = 0;
            while (headers < kHeaderCount && (got = ogg_stream_packetout(&m_stream, &packet)) == 1) {
                if (headers == 0 && !IsVorbisIdentification(packet))
                    return Verdict::NotVorbis;
                if (vorbis_synthesis_headerin(&m_info, &m_comment, &packet) != 0) {
                    reason = "its Vorbis header " + std::to_string(headers + 1) + " does not decode";
                    return Verdict::Malformed;
                }
                ++headers;
            }
            if (got < 0) {
                reason = "its Vorbis headers have a gap";
                return Verdict::Malformed;
            }
        }
        return Verdict::Decodes;
    }

  private:
    static bool IsVorbisIdentification(const ogg_packet& packet)
    {
        return packet.bytes >= 7 && packet.packet[0] == 1 && std::memcmp(packet.packet + 1, "vorbis", 6) == 0;
    }

    bool NextPage(ogg_page& page)
    {
        while (ogg_sync_pageout(&m_sync, &page) != 1) {
            if (m_read >= kMostHeaderBytes)
                return false;
            char* buffer = ogg_sync_buffer(&m_sync, kReadBytes);
            if (!buffer)
                return false;
            const std::size_t got = std::fread(buffer, 1, kReadBytes, m_file);
            if (got == 0)
                return false;
            ogg_sync_wrote(&m_sync, static_cast<long>(got));
            m_read += static_cast<long>(got);
        }
        return true;
    }

    std::FILE* m_file;
    ogg_sync_state m_sync;
    ogg_stream_state m_stream;
    bool m_streamOpen = false;
    vorbis_info m_info;
    vorbis_comment m_comment;
    long m_read = 0;
};

} // namespace

bool OggVorbisHeadersDecode(const std::string& hostPath, std::string* error)
{
    std::FILE* file = std::fopen(hostPath.c_str(), "rb");
    if (!file)
        return true;
    char magic[4] = {};
    const bool ogg = std::fread(magic, 1, 4, file) == 4 && std::memcmp(magic, "OggS", 4) == 0;
    Verdict verdict = Verdict::NotVorbis;
    std::string reason;
    if (ogg) {
        std::rewind(file);
        verdict = HeaderReader(file).Read(reason);
    }
    std::fclose(file);
    if (verdict != Verdict::Malformed)
        return true;
    if (error)
        *error = "the Ogg Vorbis file is malformed: " + reason;
    return false;
}

} // namespace platform
