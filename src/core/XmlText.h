#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The bytes of an XML file as a text the parser cannot run off. TinyXML
// steps over a whole UTF-8 character from its lead byte, so a text that
// ends in a lead byte takes it past a single terminator: the text made
// here ends in more zeros than the longest character has bytes.
std::string XmlParseText(const std::uint8_t* bytes, std::size_t size);
