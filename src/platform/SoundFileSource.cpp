#include "platform/PcmSource.h"

#include "platform/OggVorbisHeaders.h"

#include <sndfile.h>

#include <vector>

namespace platform {
namespace {

class SoundFileSource final : public PcmSource {
  public:
    SoundFileSource(SNDFILE* file, const SF_INFO& info) : m_file(file), m_info(info) {}
    ~SoundFileSource() override { sf_close(m_file); }

    std::uint32_t GetRate() const override { return static_cast<std::uint32_t>(m_info.samplerate); }
    std::uint32_t GetChannels() const override { return m_info.channels == 1 ? 1u : 2u; }
    std::int64_t GetFrames() const override
    {
        return m_info.frames > 0 && m_info.frames < SF_COUNT_MAX ? m_info.frames : 0;
    }

    std::uint32_t Read(std::int16_t* out, std::uint32_t frames) override
    {
        const auto channels = static_cast<std::uint32_t>(m_info.channels);
        if (channels <= 2) {
            const sf_count_t got = sf_readf_short(m_file, out, frames);
            return got > 0 ? static_cast<std::uint32_t>(got) : 0u;
        }
        m_wide.resize(static_cast<std::size_t>(frames) * channels);
        const sf_count_t got = sf_readf_short(m_file, m_wide.data(), frames);
        const std::uint32_t read = got > 0 ? static_cast<std::uint32_t>(got) : 0u;
        for (std::uint32_t i = 0; i < read; ++i) {
            out[2 * i] = m_wide[i * channels];
            out[2 * i + 1] = m_wide[i * channels + 1];
        }
        return read;
    }

    bool Seek(std::int64_t frame) override { return sf_seek(m_file, frame, SEEK_SET) >= 0; }

  private:
    SNDFILE* m_file;
    SF_INFO m_info;
    std::vector<short> m_wide;
};

} // namespace

std::unique_ptr<PcmSource> OpenSoundFile(const std::string& hostPath, std::string* error)
{
    if (!OggVorbisHeadersDecode(hostPath, error))
        return nullptr;
    SF_INFO info{};
    SNDFILE* file = sf_open(hostPath.c_str(), SFM_READ, &info);
    if (!file) {
        if (error)
            *error = sf_strerror(nullptr);
        return nullptr;
    }
    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1000 || info.samplerate > 384000) {
        sf_close(file);
        if (error)
            *error = "the decoder reports an unplayable layout";
        return nullptr;
    }
    return std::make_unique<SoundFileSource>(file, info);
}

} // namespace platform
