#pragma once

#include <cstdint>

#include "platform/Result.h"

// The small component object model the embedded web page needs: interfaces
// with a use count and a query for another interface of the same object.
namespace platform {

enum class InterfaceId {
    Unknown,
    Storage,
    ClientSite,
    InPlaceSite,
    InPlaceFrame,
    EmbeddedObject,
    WebBrowser
};
enum class ClassId { WebBrowser };

// Returned by the embedding functions before StartEmbedding.
constexpr HResult E_NOT_STARTED = static_cast<HResult>(0x800401F0u);

class CountedInterface {
  public:
    // On success *out holds the interface with one more use; on failure
    // the interface decides what *out holds.
    virtual HResult QueryInterface(InterfaceId id, void** out) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

  protected:
    virtual ~CountedInterface() = default;
};

// The component runtime of the calling thread (there is only one here).
// Starts and ends are counted; each start needs its end.
HResult StartComponents();
void EndComponents();

// Embedding of objects in windows; starts the component runtime as well.
HResult StartEmbedding();
void EndEmbedding();
bool IsEmbeddingStarted();

} // namespace platform
