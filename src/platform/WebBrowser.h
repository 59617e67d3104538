#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Embedding.h"

namespace platform {

// What a recording web browser was told. It outlives the browser, so a test
// can still read it once the browser is gone.
struct WebBrowserRecord {
    std::u16string hostApplication;
    std::u16string hostObject;
    bool contained = false;
    bool hasClientSite = false;

    // DoVerb and what the in-place site answered while showing the page.
    int verb = 0;
    int verbCount = 0;
    Window* window = nullptr;
    Rect verbPosition;
    bool inPlaceActive = false;
    Window* siteWindow = nullptr;
    Rect sitePosition;
    Rect siteClip;
    FrameInfo siteFrameInfo;

    long left = -1, top = -1, width = -1, height = -1;
    std::string address;
    int navigations = 0;

    int closes = 0;
    CloseMode closeMode = CloseMode::SaveIfDirty;
    std::uint32_t references = 0;
    bool destroyed = false;
};

// Stands in for the web browser control: it answers for its object and
// browser interfaces, counts its uses and deletes itself at 0, records what
// it is told, and marks the window it is shown in with the page's address.
class RecordingWebBrowser : public EmbeddedObject, public WebBrowserControl {
  public:
    // offersBrowserControl false makes it refuse its browser interface.
    explicit RecordingWebBrowser(std::shared_ptr<WebBrowserRecord> record, bool offersBrowserControl = true);

    HResult QueryInterface(InterfaceId id, void** out) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    HResult SetClientSite(EmbedClientSite* site) override;
    HResult SetHostNames(const std::u16string& application, const std::u16string& object) override;
    HResult DoVerb(int verb, EmbedClientSite* site, int index, Window* window, const Rect& position) override;
    HResult Close(CloseMode mode) override;
    HResult SetContained(bool contained) override;

    HResult SetLeft(long left) override;
    HResult SetTop(long top) override;
    HResult SetWidth(long width) override;
    HResult SetHeight(long height) override;
    HResult Navigate(const Variant& address, const Variant& flags, const Variant& targetFrame,
                     const Variant& postData, const Variant& headers) override;

  private:
    ~RecordingWebBrowser() override;
    void ActivateInPlace(EmbedClientSite* site);

    std::shared_ptr<WebBrowserRecord> m_record;
    bool m_offersBrowserControl;
    std::uint32_t m_references = 1;
    EmbedClientSite* m_site = nullptr;
    Window* m_window = nullptr;
};

} // namespace platform
