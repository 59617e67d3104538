#include "core/DirectoryEnumerator.h"

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

TEST(DirectoryEnumerator, FindsTheFirstMatchByNameWithoutItsFolder)
{
    ScratchFolder folder;
    folder.UseAsDataRoot();
    folder.Write("data/saves/save3.sav", "3");
    folder.Write("data/saves/Save1.sav", "1");
    folder.Write("data/saves/notes.txt", "");

    CPDirectoryEnumerator saves("Data\\Saves\\save?.SAV");
    EXPECT_EQ(saves.GetFileName(), "");
    ASSERT_EQ(saves.FindFirst(), S_OK);
    EXPECT_EQ(saves.GetFileName(), "Save1.sav");

    CPDirectoryEnumerator none("Data\\Saves\\*.lvl");
    EXPECT_EQ(none.FindFirst(), E_FAIL);
    EXPECT_EQ(none.GetFileName(), "");
}
