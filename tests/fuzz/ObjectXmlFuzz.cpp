// Object descriptions (XML) of level objects, read when an object names
// one in its scene file. The parse runs a second time where a read past
// its text stops the target (GuardedXml.cpp): the seed that ends in the
// first byte of a UTF-8 character is such a text, were it not padded.
#include "FuzzSupport.h"

#include "core/GameObject.h"

std::vector<std::string> FuzzSeeds()
{
    return {"<object><physics mass=\"10\"/><damage points=\"5\"/><sound name=\"a.wav\"/></object>",
            "<?xml version=\"1.0\"?>\n<a><b c=\"&amp;\">text</b><!-- note --></a>",
            "<?xml version=\"1.0\"?>\n<object>a name \xF0"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Data/Descriptions/object.xml", data, size);
    CPGameObject object("thing");
    object.SetDescriptionFile("object.xml");
    object.LoadDescription();
    return 0;
}
