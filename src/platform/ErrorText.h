#pragma once

#include <string>

#include "platform/Result.h"

// Names and one-line descriptions of result codes, for failure reports in
// the log. Codes the table does not know get a name and description that
// show the code in hexadecimal.
namespace platform {

std::string GetErrorName(HResult code);
std::string GetErrorDescription(HResult code);

} // namespace platform
