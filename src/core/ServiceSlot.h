#pragma once

#include <memory>
#include <utility>

// One engine service and its global getter: the object is made and
// installed together, and on the way out the getter forgets it before the
// object goes, so nothing reaches a service half torn down. Install is the
// service's setter (SetKernel, SetRender, ...).
template <class T, void (*Install)(T*)> class ServiceSlot {
  public:
    template <class... Args>
    explicit ServiceSlot(Args&&... args) : m_object(std::make_unique<T>(std::forward<Args>(args)...))
    {
        Install(m_object.get());
    }
    ~ServiceSlot()
    {
        Install(nullptr);
        m_object.reset();
    }

    ServiceSlot(const ServiceSlot&) = delete;
    ServiceSlot& operator=(const ServiceSlot&) = delete;

    T& operator*() const { return *m_object; }
    T* operator->() const { return m_object.get(); }
    T* Get() const { return m_object.get(); }

  private:
    std::unique_ptr<T> m_object;
};
