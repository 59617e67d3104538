#include "core/TextLookup.h"

namespace {

CPTextLookup g_lookup = nullptr;

} // namespace

void SetTextLookup(CPTextLookup lookup) { g_lookup = lookup; }

CPTextLookup GetTextLookup() { return g_lookup; }

std::string LookupText(const std::string& key) { return g_lookup ? g_lookup(key) : std::string(); }
