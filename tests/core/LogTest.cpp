#include "core/Log.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

TEST(Log, TheStreamIsOneObject)
{
    LogCapture log;
    EXPECT_EQ(&GetLogStream(), &GetLogStream());
    LogLine("first");
    LogLine("second");
    EXPECT_EQ(log.Text(), "first\nsecond\n");
}

TEST(Log, DirectXFailuresAreReportedWithNameAndDescription)
{
    LogCapture log;
    ReportDXError("Render\\PRender", 412, E_FAIL);
    ReportDXError("Sound\\NSound", 7, static_cast<HResult>(0x88760868u));
    EXPECT_EQ(log.Text(), "DXError if Render\\PRender on line 412\n"
                          "E_FAIL\n"
                          "The operation failed for an unspecified reason.\n"
                          "DXError if Sound\\NSound on line 7\n"
                          "DEVICE_LOST\n"
                          "The graphics device was lost and cannot be used until it is reset.\n");
}

TEST(Log, UnknownCodesShowTheirNumberAndLongTextsAreKeptWhole)
{
    LogCapture log;
    ReportDXError("DynamicSky\\VertexObject", 88, static_cast<HResult>(0x8123ABCDu));
    EXPECT_TRUE(log.Contains("DXError if DynamicSky\\VertexObject on line 88\nUNKNOWN_ERROR 0x8123ABCD\n"));

    std::ostringstream out;
    const std::string longDescription(600, 'd');
    WriteDXErrorReport(out, 0, kDXErrorFormat, "Render\\PTexture", 3, "NAME", longDescription.c_str());
    EXPECT_EQ(out.str(), "DXError if Render\\PTexture on line 3\nNAME\n" + longDescription + "\n");
}
