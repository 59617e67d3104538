#pragma once

#include <type_traits>
#include <utility>

// Puts a stand-in behind one global getter for as long as this lives, and
// the one that was there before back when it goes: a test that needs a
// fake renderer, shell or clock for a while names it once, e.g.
//     ServiceOverride<GetRender, SetRender> deviceless(&render);
//     ServiceOverride<platform::GetClockSource, platform::SetClockSource> clock([&] { return now; });
// The services owner's own object is back in place afterwards, so what the
// owner clears at its end is what it installed.
template <auto Get, auto Set> class ServiceOverride {
  public:
    using Value = std::decay_t<decltype(Get())>;

    explicit ServiceOverride(Value replacement) : m_previous(Get()) { Set(std::move(replacement)); }
    ~ServiceOverride() { Set(std::move(m_previous)); }

    ServiceOverride(const ServiceOverride&) = delete;
    ServiceOverride& operator=(const ServiceOverride&) = delete;

  private:
    Value m_previous;
};
