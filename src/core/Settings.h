#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Result.h"

// One value of the settings store: anything that can give its text.
class CPSettingValue {
  public:
    virtual ~CPSettingValue() = default;
    virtual std::string GetText() const = 0;
};

// A fixed text.
class CPTextSetting : public CPSettingValue {
  public:
    explicit CPTextSetting(std::string text) : m_text(std::move(text)) {}
    std::string GetText() const override { return m_text; }

  private:
    std::string m_text;
};

// An integer variable, read when the text is asked for, so the file shows
// the variable's value at the time it is written.
class CPIntSetting : public CPSettingValue {
  public:
    explicit CPIntSetting(const std::int32_t& variable) : m_variable(variable) {}
    std::string GetText() const override { return std::to_string(m_variable); }

  private:
    const std::int32_t& m_variable;
};

// The settings store: keys with value objects, written as a text file of
// "key = value\r\n" lines. Lines come in the byte order of their keys, so
// the file reads the same however the store was filled.
class CPSettings {
  public:
    // Stores a value under a key, replacing any earlier one.
    void SetValue(const std::string& key, std::unique_ptr<CPSettingValue> value);
    const CPSettingValue* GetValue(const std::string& key) const;
    void Clear() { m_values.clear(); }
    std::size_t GetCount() const { return m_values.size(); }

    // Replaces the file with one line per setting; an empty store writes
    // an empty file. E_FAIL, with a line in the log, when it cannot be
    // written.
    HResult WriteSettingsFile(const std::string& fileName) const;

  private:
    std::map<std::string, std::unique_ptr<CPSettingValue>> m_values;
};

// The one settings store, set by its owner; null until then.
CPSettings* GetSettings();
void SetSettings(CPSettings* settings);
