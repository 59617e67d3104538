#pragma once

#include "core/Object.h"

// The common root of the cars' driving models: an object that answers its
// own size and name.
class CPCarBase : public CPObject {
  public:
    std::uint32_t GetObjectSize() const override = 0;
    std::string GetTypeName() const override = 0;
};
