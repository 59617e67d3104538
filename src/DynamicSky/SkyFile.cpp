#include "DynamicSky/SkyFile.h"

#include <cmath>
#include <cstdlib>

#include "core/Log.h"
#include "core/Tokenizer.h"

CPSkyFile::CPSkyFile(const std::string& name) : m_path("Data\\Clouds\\" + name), m_reader(m_path, false) {}

bool CPSkyFile::Open()
{
    if (Failed(m_reader.Load())) {
        m_failed = true;
        return false;
    }
    m_text = std::make_unique<CPTextReader>(reinterpret_cast<const char*>(m_reader.GetData()),
                                            static_cast<std::int32_t>(m_reader.GetDataSize()));
    return true;
}

bool CPSkyFile::NextValues(std::size_t count, const char* what)
{
    if (m_failed)
        return false;
    std::string line;
    if (!m_text || !m_text->GetLine(line))
        return Reject(std::string("it ends before ") + what);

    m_values.clear();
    CPTokenizer tokenizer(line, " ", true);
    std::string token;
    tokenizer.NextToken(token); // the label
    while (tokenizer.NextToken(token))
        if (!token.empty())
            m_values.push_back(token);
    if (m_values.size() < count)
        return Reject(std::string(what) + " needs " + std::to_string(count) + " value(s) on the line \"" +
                      line + "\"");
    return true;
}

bool CPSkyFile::Reject(const std::string& why)
{
    if (!m_failed)
        LogLine("Sky file \"" + m_path + "\" cannot be used: " + why);
    m_failed = true;
    return false;
}

bool CPSkyFile::ReadInts(std::int32_t* values, std::size_t count, const char* what)
{
    if (!NextValues(count, what))
        return false;
    for (std::size_t i = 0; i < count; ++i)
        values[i] = std::atoi(m_values[i].c_str());
    return true;
}

bool CPSkyFile::ReadFloats(float* values, std::size_t count, const char* what)
{
    if (!NextValues(count, what))
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = static_cast<float>(std::atof(m_values[i].c_str()));
        if (!std::isfinite(values[i]))
            return Reject(std::string(what) + " is not a finite number: \"" + m_values[i] + "\"");
    }
    return true;
}

bool CPSkyFile::ReadInt(std::int32_t& value, const char* what) { return ReadInts(&value, 1, what); }

bool CPSkyFile::ReadFloat(float& value, const char* what) { return ReadFloats(&value, 1, what); }

bool CPSkyFile::ReadVector(Vector3& value, const char* what)
{
    float values[3] = {};
    if (!ReadFloats(values, 3, what))
        return false;
    value = {values[0], values[1], values[2]};
    return true;
}

bool CPSkyFile::ReadName(std::string& value, const char* what)
{
    if (!NextValues(1, what))
        return false;
    value = m_values[0];
    return true;
}
