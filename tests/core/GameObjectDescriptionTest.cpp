#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GameObject.h"
#include "core/PackFile.h"
#include "core/PackWriter.h"
#include "support/ScratchFolder.h"
#include "support/PackFixtures.h"

namespace {

const char kCarXml[] =
    "<car name=\"jeep\">\n  <camera x=\"0\" y=\"-6.5\" z=\"2\"/>\n  <camera2 x=\"1\"/>\n</car>\n";

class GameObjectDescriptionTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
    }
    void TearDown() override { GetPackFileList().Clear(); }

    ScratchFolder folder;
    LogCapture log;
    CPGameObject car{"jeep"};
};

} // namespace

TEST_F(GameObjectDescriptionTest, DescriptionIsReadFromAPack)
{
    ASSERT_TRUE(WriteTextPack("cars.pak", {{"Data\\Descriptions\\Jeep.xml", kCarXml}}));
    ASSERT_EQ(GetPackFileList().AddPack("cars.pak"), S_OK);
    car.SetDescriptionFile("Jeep.xml");

    ASSERT_TRUE(car.LoadDescription());

    const TiXmlElement* root = car.GetDescription().RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Value(), "car");
    EXPECT_STREQ(root->Attribute("name"), "jeep");
    const TiXmlElement* camera = root->FirstChildElement("camera");
    ASSERT_NE(camera, nullptr);
    EXPECT_STREQ(camera->Attribute("y"), "-6.5");
}

TEST_F(GameObjectDescriptionTest, DescriptionIsFoundOnDiskWhateverTheCase)
{
    folder.Write("data/descriptions/jeep.xml", std::string(kCarXml));
    car.SetDescriptionFile("JEEP.XML");

    ASSERT_TRUE(car.LoadDescription());

    ASSERT_NE(car.GetDescription().RootElement(), nullptr);
    EXPECT_NE(car.GetDescription().RootElement()->FirstChildElement("camera2"), nullptr);
}

TEST_F(GameObjectDescriptionTest, MissingOrBrokenDescriptionFailsWithALogLine)
{
    // A good description first, so the failures must also clear it.
    folder.Write("data/descriptions/good.xml", std::string(kCarXml));
    folder.Write("data/descriptions/broken.xml", std::string("<car><camera></car>"));
    struct Case {
        const char* file;
        const char* logged;
    };
    const Case cases[] = {{"missing.xml", "missing.xml"}, {"broken.xml", "broken.xml"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        car.SetDescriptionFile("good.xml");
        ASSERT_TRUE(car.LoadDescription());
        car.SetDescriptionFile(c.file);

        EXPECT_FALSE(car.LoadDescription());

        EXPECT_EQ(car.GetDescription().RootElement(), nullptr);
        EXPECT_TRUE(log.Contains(c.logged));
    }
    EXPECT_TRUE(log.Contains("not well-formed XML"));
}

// Descriptions that end inside a UTF-8 character are read as far as they
// go (core/XmlTextTest.cpp shows the parser kept within them).
TEST_F(GameObjectDescriptionTest, DescriptionEndingInALeadByteIsReadNoFurtherThanItsEnd)
{
    // The declaration (or a byte-order mark) makes the parser read UTF-8;
    // the texts are longer than a string keeps in itself, so that their
    // bytes lie on the heap.
    const std::string declared = "<?xml version=\"1.0\"?>\n<object>a name ";
    struct Case {
        std::string text;
        bool whole; // the parser takes what comes after the root as text
    };
    const Case cases[] = {
        {declared + "\xC3", false},
        {declared + "\xE2", false},
        {declared + "\xF0", false},
        {declared + "\xE2\x82", false},
        {"\xEF\xBB\xBF<object><sound name=\"x\"/></object>\xF0", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        folder.Write("data/descriptions/cut.xml", c.text);
        car.SetDescriptionFile("cut.xml");

        EXPECT_EQ(car.LoadDescription(), c.whole);

        EXPECT_EQ(car.GetDescription().RootElement() != nullptr, c.whole);
    }
    EXPECT_TRUE(log.Contains("cut.xml of jeep is not well-formed XML"));
}
