// WAVE files as common tools write them (tests/fixtures/readers, made by
// tools/make-reader-corpus.sh) become sounds holding the samples those
// tools read back.
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "SoundTestSupport.h"

namespace {

struct ExpectedWave {
    std::string name;
    std::uint32_t rate = 0;
    std::uint16_t channels = 0;
    std::uint16_t bits = 0;
    std::vector<std::uint8_t> samples;
};

std::vector<ExpectedWave> ExpectedWaves(const std::string& corpus)
{
    std::vector<ExpectedWave> waves;
    std::ifstream in(corpus + "expected.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, hex;
        ExpectedWave w;
        fields >> kind >> w.name >> w.rate >> w.channels >> w.bits >> hex;
        if (kind != "wave")
            continue;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            w.samples.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        waves.push_back(w);
    }
    return waves;
}

class WaveCorpusTest : public SoundTest {};

} // namespace

TEST_F(WaveCorpusTest, WavesBecomeSoundsWithTheSamplesTheToolsRead)
{
    const std::string corpus = std::string(RS_FIXTURES_DIR) + "/readers/";
    const std::vector<ExpectedWave> waves = ExpectedWaves(corpus);
    ASSERT_GE(waves.size(), 4u);
    for (const ExpectedWave& w : waves) {
        SCOPED_TRACE(w.name);
        std::ifstream in(corpus + w.name, std::ios::binary);
        WriteSound(w.name, std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
        CNSound sound(&m_device, "Data\\Sounds\\" + w.name, 0);
        ASSERT_TRUE(sound.IsLoaded());
        ASSERT_NE(sound.GetBuffer(), nullptr);
        EXPECT_EQ(sound.GetBaseFrequency(), w.rate);
        EXPECT_EQ(platform::AsMemory(sound.GetBuffer())->GetBytes(), w.samples);
        const platform::WaveFormat& format = platform::AsMemory(sound.GetBuffer())->GetFormat();
        EXPECT_EQ(format.channels, w.channels);
        EXPECT_EQ(format.bitsPerSample, w.bits);
    }
}
