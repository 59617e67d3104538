// The shop tables read from a text file at start-up: one item a line, its
// kind, its key and the fields of its record in the record's own order.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/FileReader.h"
#include "core/Log.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"
#include "game/GameData.h"

namespace {

// The fields of one line after its kind and key, read in order. A field
// that is missing or not a number marks the whole line bad.
class FieldReader {
  public:
    explicit FieldReader(const std::vector<std::string>& fields) : m_fields(fields) {}

    std::string Text() { return m_next < m_fields.size() ? m_fields[m_next++] : Fail(); }
    std::int32_t Whole()
    {
        const std::string text = Text();
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX)
            m_good = false;
        return static_cast<std::int32_t>(value);
    }
    float Real()
    {
        const std::string text = Text();
        char* end = nullptr;
        const float value = std::strtof(text.c_str(), &end);
        if (text.empty() || *end != '\0')
            m_good = false;
        return value;
    }
    // Every field read and every one good.
    bool Done() const { return m_good && m_next == m_fields.size(); }

  private:
    std::string Fail()
    {
        m_good = false;
        return std::string();
    }

    const std::vector<std::string>& m_fields;
    std::size_t m_next = 0;
    bool m_good = true;
};

CPWeaponInfo ReadWeapon(FieldReader& in)
{
    CPWeaponInfo item;
    item.nameKey = in.Text();
    item.price = in.Whole();
    item.value1 = in.Whole();
    item.groupA1 = in.Real();
    item.groupA2 = in.Whole();
    item.groupA3 = in.Real();
    item.groupB1 = in.Real();
    item.groupB2 = in.Whole();
    item.groupB3 = in.Real();
    item.value2 = in.Real();
    item.descriptionKey = in.Text();
    item.firstMission = in.Whole();
    return item;
}

CPMineInfo ReadMine(FieldReader& in)
{
    CPMineInfo item;
    item.nameKey = in.Text();
    item.price = in.Whole();
    item.value1 = in.Whole();
    item.value2 = in.Real();
    item.value3 = in.Real();
    item.value4 = in.Whole();
    item.value5 = in.Real();
    item.value6 = in.Real();
    item.value7 = in.Real();
    item.descriptionKey = in.Text();
    item.firstMission = in.Whole();
    return item;
}

CPSuperWeaponInfo ReadSuperWeapon(FieldReader& in)
{
    CPSuperWeaponInfo item;
    item.nameKey = in.Text();
    item.price = in.Whole();
    item.descriptionKey = in.Text();
    item.firstMission = in.Whole();
    return item;
}

CPPartInfo ReadPart(FieldReader& in)
{
    CPPartInfo item;
    item.nameKey = in.Text();
    item.price = in.Whole();
    item.value = in.Real();
    item.descriptionKey = in.Text();
    item.firstMission = in.Whole();
    return item;
}

CPEngineInfo ReadEngine(FieldReader& in)
{
    CPEngineInfo item;
    item.nameKey = in.Text();
    item.price = in.Whole();
    for (float& value : item.values)
        value = in.Real();
    item.descriptionKey = in.Text();
    item.firstMission = in.Whole();
    return item;
}

// Reads the record and adds it only when the whole line was good.
template <class Item>
bool AddItem(CPShopTable<Item>& table, const std::string& key, const std::vector<std::string>& fields,
             Item (*read)(FieldReader&))
{
    FieldReader in(fields);
    const Item item = read(in);
    if (!in.Done())
        return false;
    table.Add(key, item);
    return true;
}

} // namespace

bool CPGameData::LoadShop(const std::string& fileName)
{
    CPFileReader reader(fileName, false);
    if (reader.Load() != S_OK) {
        LogLine("\"" + fileName + "\" cannot be read: the shop offers nothing");
        return false;
    }
    CPTextReader text(reinterpret_cast<const char*>(reader.GetData()),
                      static_cast<std::int32_t>(reader.GetDataSize()));
    bool whole = true;
    std::string line, token;
    std::vector<std::string> fields;
    while (text.GetLine(line)) {
        CPTokenizer tokens(line, " ", true);
        fields.clear();
        while (tokens.NextToken(token))
            if (!token.empty())
                fields.push_back(token);
        const std::string kind = fields.empty() ? std::string() : fields[0];
        const std::string key = fields.size() > 1 ? fields[1] : std::string();
        if (fields.size() > 1)
            fields.erase(fields.begin(), fields.begin() + 2);
        bool added = false;
        if (key.empty())
            added = false;
        else if (kind == "weapon")
            added = AddItem(weapons, key, fields, ReadWeapon);
        else if (kind == "mine")
            added = AddItem(mines, key, fields, ReadMine);
        else if (kind == "super")
            added = AddItem(superWeapons, key, fields, ReadSuperWeapon);
        else if (kind == "bumper")
            added = AddItem(bumpers, key, fields, ReadPart);
        else if (kind == "equipment")
            added = AddItem(equipment, key, fields, ReadPart);
        else if (kind == "armour")
            added = AddItem(armour, key, fields, ReadPart);
        else if (kind == "engine")
            added = AddItem(engines, key, fields, ReadEngine);
        if (added)
            continue;
        LogLine("\"" + fileName + "\" line " + std::to_string(text.GetLineCount()) +
                " is not an item of the shop: it is skipped");
        whole = false;
    }
    return whole;
}
