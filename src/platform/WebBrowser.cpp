#include "platform/WebBrowser.h"

#include "platform/CallRecorder.h"

namespace platform {

RecordingWebBrowser::RecordingWebBrowser(std::shared_ptr<WebBrowserRecord> record, bool offersBrowserControl)
    : m_record(std::move(record)), m_offersBrowserControl(offersBrowserControl)
{
    m_record->references = m_references;
}

RecordingWebBrowser::~RecordingWebBrowser()
{
    RecordCall("WebBrowser destroyed");
    m_record->destroyed = true;
}

HResult RecordingWebBrowser::QueryInterface(InterfaceId id, void** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (id == InterfaceId::Unknown || id == InterfaceId::EmbeddedObject)
        *out = static_cast<EmbeddedObject*>(this);
    else if (id == InterfaceId::WebBrowser && m_offersBrowserControl)
        *out = static_cast<WebBrowserControl*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

std::uint32_t RecordingWebBrowser::AddRef()
{
    m_record->references = ++m_references;
    return m_references;
}

std::uint32_t RecordingWebBrowser::Release()
{
    m_record->references = --m_references;
    if (m_references > 0)
        return m_references;
    delete this;
    return 0;
}

HResult RecordingWebBrowser::SetClientSite(EmbedClientSite* site)
{
    m_site = site;
    m_record->hasClientSite = site != nullptr;
    return S_OK;
}

HResult RecordingWebBrowser::SetHostNames(const std::u16string& application, const std::u16string& object)
{
    m_record->hostApplication = application;
    m_record->hostObject = object;
    return S_OK;
}

HResult RecordingWebBrowser::DoVerb(int verb, EmbedClientSite* site, int index, Window* window,
                                    const Rect& position)
{
    (void)index;
    m_record->verb = verb;
    ++m_record->verbCount;
    m_record->window = window;
    m_record->verbPosition = position;
    if (verb != kVerbShow)
        return E_NOTIMPL;
    m_window = window;
    ActivateInPlace(site ? site : m_site);
    return S_OK;
}

// Shows itself in the container's window as a browser does: asks the
// in-place site whether it may, where its window and frame are, and tells
// the client site it is showing.
void RecordingWebBrowser::ActivateInPlace(EmbedClientSite* site)
{
    if (!site)
        return;
    void* found = nullptr;
    if (Failed(site->QueryInterface(InterfaceId::InPlaceSite, &found)) || !found)
        return;
    auto* inPlace = static_cast<EmbedInPlaceSite*>(found);
    if (inPlace->CanInPlaceActivate() == S_OK) {
        inPlace->OnInPlaceActivate();
        inPlace->GetWindow(&m_record->siteWindow);
        EmbedInPlaceFrame* frame = nullptr;
        CountedInterface* document = nullptr;
        m_record->siteFrameInfo.size = sizeof(FrameInfo);
        inPlace->GetWindowContext(&frame, &document, &m_record->sitePosition, &m_record->siteClip,
                                  &m_record->siteFrameInfo);
        if (frame)
            frame->Release();
        if (document)
            document->Release();
        m_record->inPlaceActive = true;
    }
    inPlace->Release();
    site->ShowObject();
}

HResult RecordingWebBrowser::Close(CloseMode mode)
{
    RecordCall("WebBrowser Close");
    ++m_record->closes;
    m_record->closeMode = mode;
    m_record->inPlaceActive = false;
    m_site = nullptr;
    m_window = nullptr;
    return S_OK;
}

HResult RecordingWebBrowser::SetContained(bool contained)
{
    m_record->contained = contained;
    return S_OK;
}

HResult RecordingWebBrowser::SetLeft(long left)
{
    m_record->left = left;
    return S_OK;
}

HResult RecordingWebBrowser::SetTop(long top)
{
    m_record->top = top;
    return S_OK;
}

HResult RecordingWebBrowser::SetWidth(long width)
{
    m_record->width = width;
    return S_OK;
}

HResult RecordingWebBrowser::SetHeight(long height)
{
    m_record->height = height;
    return S_OK;
}

HResult RecordingWebBrowser::Navigate(const Variant& address, const Variant& flags,
                                      const Variant& targetFrame, const Variant& postData,
                                      const Variant& headers)
{
    (void)flags;
    (void)targetFrame;
    (void)postData;
    (void)headers;
    if (address.kind != Variant::Kind::Text)
        return E_INVALIDARG;
    m_record->address = NarrowText(address.text);
    ++m_record->navigations;
    if (m_window)
        m_window->SetShownPage(m_record->address);
    return S_OK;
}

} // namespace platform
