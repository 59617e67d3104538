#pragma once

#include <string>

#include <gtest/gtest.h>

#include "interface/Action.h"
#include "interface/InputManager.h"
#include "support/ScratchFolder.h"

// An input manager over a scratch data folder, with the log captured.
class InputManagerTest : public ::testing::Test {
  protected:
    void SetUp() override { folder.UseAsDataRoot(); }

    // Writes a bindings file and reads it; the read must succeed.
    void Load(const std::string& fileName, const std::string& text)
    {
        folder.Write(fileName, text);
        ASSERT_EQ(manager.ParseActionsConfig(fileName), S_OK) << log.Text();
    }

    ScratchFolder folder;
    LogCapture log;
    CPInputManager manager;
};

struct ExpectedAction {
    int code;
    const char* keyText;
    const char* actionText;
    bool defined;
    bool numeric;
};

inline void ExpectAction(const CPAction& actual, const ExpectedAction& expected, const std::string& where)
{
    EXPECT_EQ(actual.code, expected.code) << where;
    EXPECT_EQ(actual.keyText, expected.keyText) << where;
    EXPECT_EQ(actual.actionText, expected.actionText) << where;
    EXPECT_EQ(actual.defined, expected.defined) << where;
    EXPECT_EQ(actual.numeric, expected.numeric) << where;
}
