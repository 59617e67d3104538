#include "support/PackFixtures.h"

#include <gtest/gtest.h>

#include "core/PackWriter.h"

bool WriteTextPack(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries)
{
    CPPackWriter writer;
    for (const auto& [entryName, text] : entries) {
        if (!writer.AddEntry(entryName, std::vector<std::uint8_t>(text.begin(), text.end()))) {
            ADD_FAILURE() << "the pack writer refuses " << entryName;
            return false;
        }
    }
    const HResult saved = writer.Save(name);
    EXPECT_EQ(saved, S_OK) << name;
    return saved == S_OK;
}
