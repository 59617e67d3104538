#pragma once

#include "platform/EffectParameter.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace platform {

// Parameters shared between effects: every effect made with the pool that
// declares a parameter `shared` uses the one record kept here, so a value
// set through any of them is seen by all.
class EffectPool {
  public:
    // False, with `error` set, when the pool holds a parameter of the same
    // name with another type or size.
    bool Accepts(const EffectParameter& candidate, std::string& error) const;

    // The pool's parameter of the candidate's name, adopting the candidate
    // (with its default value) when the pool has none yet.
    std::shared_ptr<EffectParameter> Share(std::shared_ptr<EffectParameter> candidate);

    EffectParameter* Find(const std::string& name) const;
    std::size_t Count() const { return m_parameters.size(); }

  private:
    std::map<std::string, std::shared_ptr<EffectParameter>> m_parameters;
};

} // namespace platform
