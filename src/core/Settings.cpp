#include "core/Settings.h"

#include "core/FileWriter.h"

namespace {

CPSettings* g_settings = nullptr;

} // namespace

void CPSettings::SetValue(const std::string& key, std::unique_ptr<CPSettingValue> value)
{
    m_values[key] = std::move(value);
}

const CPSettingValue* CPSettings::GetValue(const std::string& key) const
{
    auto found = m_values.find(key);
    return found == m_values.end() ? nullptr : found->second.get();
}

HResult CPSettings::WriteSettingsFile(const std::string& fileName) const
{
    CPFileWriter writer(fileName, false);
    for (const auto& [key, value] : m_values) {
        const std::string line = key + " = " + (value ? value->GetText() : std::string()) + "\r\n";
        writer.WriteBytes(line.data(), static_cast<std::int32_t>(line.size()));
    }
    return writer.Save();
}

CPSettings* GetSettings() { return g_settings; }

void SetSettings(CPSettings* settings) { g_settings = settings; }
