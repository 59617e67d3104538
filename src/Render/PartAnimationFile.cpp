#include "Render/PartAnimationFile.h"

#include <vector>

#include "Render/PartAnimation.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/StringUtils.h"

namespace {

const std::uint32_t kKeyBytes = 4 + 12 * 4; // duration and transform

// The stored rows (a, b, c, t) of a column-vector transform are the
// columns of our row-vector matrix; its last column is (0, 0, 0, 1).
Matrix4 KeyMatrix(const float values[12])
{
    Matrix4 m;
    for (int row = 0; row < 4; ++row) {
        m.m[row][0] = values[row];
        m.m[row][1] = values[4 + row];
        m.m[row][2] = values[8 + row];
        m.m[row][3] = row == 3 ? 1.0f : 0.0f;
    }
    return m;
}

bool Fail(const CPFileReader& reader, const std::string& reason)
{
    LogLine("Part animations in \"" + reader.GetFileName() + "\" not loaded: " + reason);
    return false;
}

bool ReadTrack(CPFileReader& reader, int track, PartAnimationTracks& tracks)
{
    std::string name = reader.ReadString();
    if (reader.HasReadError())
        return Fail(reader, "track " + std::to_string(track) + "'s name runs past the end");
    ToLowerString(name);
    if (reader.GetRemaining() < 4)
        return Fail(reader, "the data ends inside track " + std::to_string(track) + "'s key count");
    const std::int32_t keyCount = reader.ReadInt();
    if (keyCount < 0 || static_cast<std::uint64_t>(keyCount) * kKeyBytes > reader.GetRemaining())
        return Fail(reader, "track \"" + name + "\" has " + std::to_string(keyCount) + " keys, " +
                                std::to_string(reader.GetRemaining()) + " bytes left");

    std::vector<Matrix4> keys(keyCount);
    std::vector<float> durations(keyCount);
    for (std::int32_t k = 0; k < keyCount; ++k) {
        durations[k] = reader.ReadFloat();
        float values[12];
        for (float& value : values)
            value = reader.ReadFloat();
        keys[k] = KeyMatrix(values);
    }

    auto animation = std::make_unique<CPPartAnimation>();
    if (!animation->SetKeys(keys, durations)) {
        LogLine("Part animation track \"" + name + "\" of \"" + reader.GetFileName() + "\" left out");
        return true;
    }
    tracks[name] = std::move(animation);
    return true;
}

} // namespace

bool LoadPartAnimationFile(const std::string& fileName, PartAnimationTracks& tracks)
{
    CPFileReader reader("Data\\Animations\\" + fileName, false);
    if (Failed(reader.Load()))
        return false;
    if (reader.GetRemaining() < 4)
        return Fail(reader, "the data ends inside the track count");
    const std::int32_t trackCount = reader.ReadInt();

    PartAnimationTracks loaded;
    for (std::int32_t track = 0; track < trackCount; ++track) {
        if (!ReadTrack(reader, track, loaded))
            return false;
    }
    for (auto& entry : loaded)
        tracks[entry.first] = std::move(entry.second);
    return true;
}
