// Linked into the targets whose input the game object's description parse
// takes, with the linker wrapping XmlParseText: the text made for TinyXML
// is parsed a second time where the first byte past its terminator cannot
// be read, so a text that lets the parser run off its end stops the target
// with that input (TinyXML itself is not instrumented).
#include <cstddef>
#include <cstdint>
#include <string>

#include <tinyxml.h>

#include "support/GuardedBytes.h"

// XmlParseText's linker name (its std::string result gives it the ABI tag);
// the linker sends the engine's calls to the wrapper, and the wrapper's
// __real_ call to the function itself.
std::string RealXmlParseText(const std::uint8_t* bytes,
                             std::size_t size) asm("__real__Z12XmlParseTextB5cxx11PKhm");
std::string GuardedXmlParseText(const std::uint8_t* bytes,
                                std::size_t size) asm("__wrap__Z12XmlParseTextB5cxx11PKhm");

std::string GuardedXmlParseText(const std::uint8_t* bytes, std::size_t size)
{
    std::string text = RealXmlParseText(bytes, size);
    // The parser reads up to the string's own terminator.
    GuardedBytes guarded(std::string(text.c_str(), text.size() + 1));
    if (guarded.Data()) {
        TiXmlDocument document;
        document.Parse(guarded.Data());
    }
    return text;
}
