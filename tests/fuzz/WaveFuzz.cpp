// WAVE files: the RIFF chunks, the format record and the samples, read
// as the sound library reads them.
#include "FuzzSupport.h"

#include "Sound/WaveReader.h"
#include "support/WaveFiles.h"

std::vector<std::string> FuzzSeeds()
{
    std::vector<std::vector<std::uint8_t>> files;
    files.push_back(MakeWave(1, 22050, 8, RampBytes(32)));
    files.push_back(MakeWave(2, 44100, 16, RampBytes(64)));
    files.push_back(RiffBuilder()
                        .Chunk("fmt ", ExtendedFormatRecord(3, 1, 8000, 32, {}))
                        .Chunk("LIST", RampBytes(5))
                        .Chunk("data", RampBytes(16))
                        .Build());
    std::vector<std::string> seeds;
    for (const auto& file : files)
        seeds.emplace_back(file.begin(), file.end());
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Data/Sounds/input.wav", data, size);
    CPWaveReader reader;
    if (reader.Open("Data\\Sounds\\input.wav", CPWaveReader::kModeRead) != S_OK)
        return 0;
    std::uint8_t buffer[4096];
    std::uint32_t read = 0;
    for (int i = 0; i < 64; ++i) {
        if (reader.Read(buffer, sizeof(buffer), &read) != S_OK || read == 0)
            break;
    }
    reader.Rewind();
    reader.Read(buffer, 7, &read);
    reader.Close();
    return 0;
}
