#pragma once

#include <optional>

class TiXmlElement;

// A decimal attribute of a description element, read in the "C" locale
// whatever the process's locale. Blanks around it and a leading "+" are
// allowed; a missing attribute, anything else, or a value that is not
// finite counts as no number.
std::optional<double> XmlNumber(const TiXmlElement* element, const char* attribute);
