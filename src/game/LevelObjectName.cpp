#include "game/LevelObjectName.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// atof of the text, truncated towards zero into an int32; numbers beyond
// its range stop at its ends instead of overflowing.
std::int32_t TruncatedNumber(const std::string& text)
{
    const double value = std::atof(text.c_str());
    if (!(value > std::numeric_limits<std::int32_t>::min()))
        return value != value ? 0 : std::numeric_limits<std::int32_t>::min();
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

void ReadGate(const std::string& name, CPLevelObjectName& result)
{
    const std::size_t comma = name.find(',');
    result.model = StripTrailingDigits(name.substr(0, comma));
    if (comma != std::string::npos) {
        const float seconds = static_cast<float>(std::atof(name.c_str() + comma + 1));
        result.seconds = std::isfinite(seconds) ? seconds : 0.0f;
    }
}

void ReadNumbered(const std::string& name, CPLevelObjectName& result)
{
    std::size_t end = 3;
    while (end < name.size() && IsDigit(name[end]))
        ++end;
    result.number = TruncatedNumber(name.substr(3, end - 3));
    // One separator character, then the model.
    result.model = end + 1 < name.size() ? name.substr(end + 1) : std::string();
}

struct ModelRow {
    const char* playerModel;
    std::array<const char*, 5> slots;
};

const ModelRow kModelTable[] = {
    {"zil_130_", {"bmw", "gaz_3110_main", "volswagen_toureg", "uaz", "audi_tt"}},
    {"audi_tt", {"gaz_3110_main", "bmw", "uaz", "volswagen_toureg", "zil_130_"}},
    {"bmw", {"zil_130_", "audi_tt", "uaz", "volswagen_toureg", "gaz_3110_main"}},
    {"gaz_3110_main", {"audi_tt", "zil_130_", "volswagen_toureg", "uaz", "bmw"}},
    {"uaz", {"bmw", "gaz_3110_main", "audi_tt", "zil_130_", "volswagen_toureg"}},
    {"volswagen_toureg", {"gaz_3110_main", "bmw", "zil_130_", "audi_tt", "uaz"}},
};

} // namespace

std::string StripTrailingDigits(const std::string& name)
{
    std::size_t end = name.size();
    while (end > 0 && IsDigit(name[end - 1]))
        --end;
    return name.substr(0, end);
}

CPLevelObjectName ClassifyLevelObject(const std::string& name)
{
    CPLevelObjectName result;
    const std::string stripped = StripTrailingDigits(name);
    if (stripped == "player") {
        result.kind = CPLevelObjectKind::kPlayer;
    } else if (StartsWith(stripped, "enemy")) {
        result.kind = CPLevelObjectKind::kEnemy;
        result.model = stripped.substr(5);
    } else if (StartsWith(stripped, "che")) {
        result.kind = CPLevelObjectKind::kCheckpointGate;
        ReadGate(name, result);
    } else if (StartsWith(stripped, "chk")) {
        result.kind = CPLevelObjectKind::kNumbered;
        ReadNumbered(name, result);
    } else if (StartsWith(stripped, "src")) {
        result.kind = CPLevelObjectKind::kEnemySource;
        result.source = name.size() > 4 ? name.substr(4) : std::string();
    } else if (stripped == "stolb_start_left") {
        result.kind = CPLevelObjectKind::kStartPostLeft;
    } else if (stripped == "stolb_start_right") {
        result.kind = CPLevelObjectKind::kStartPostRight;
    } else {
        result.model = stripped;
    }
    return result;
}

std::string ChooseOpponentModel(const std::string& slot, const std::string& playerModel)
{
    static const char* const kSlots[] = {"1_", "2_", "3_", "4_", "5_"};
    for (const ModelRow& row : kModelTable) {
        if (playerModel != row.playerModel)
            continue;
        for (std::size_t i = 0; i < 5; ++i) {
            if (slot == kSlots[i])
                return row.slots[i];
        }
    }
    return slot;
}

std::string LevelOpponentModel(const std::string& levelName)
{
    static const char* const kModels[] = {"tvr",    "viper",  "subaru", "celica", "subaru",
                                          "celica", "lister", "lister", "viper",  "tvr"};
    for (int number = 1; number <= 10; ++number) {
        if (levelName == "level" + std::to_string(number))
            return kModels[number - 1];
    }
    return std::string();
}
