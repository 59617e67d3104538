#include "launcher/WebHost.h"

#include <cstdio>

#include "core/Log.h"

const char* const kSplashPageAddress = "https://www.distributor.example/splash/roadsprint/pads.php";

namespace {

std::string g_splashPageAddress;

// The storage and the in-place frame answer no queries. The caller's
// pointer is cleared rather than left holding whatever it held.
HResult RefuseQuery(void** out)
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

std::string ResultText(HResult result)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(result));
    return text;
}

platform::Rect ClientRectOf(const platform::Window* window)
{
    return window ? window->GetClientRect() : platform::Rect{};
}

} // namespace

const std::string& GetSplashPageAddress() { return g_splashPageAddress; }

CPWebHost::CPWebHost() : m_clientSite(this), m_inPlaceSite(this), m_inPlaceFrame(this) {}

CPWebHost::~CPWebHost() { CloseBrowser(); }

void CPWebHost::CloseBrowser()
{
    if (!m_browser)
        return;
    platform::EmbeddedObject* browser = m_browser;
    m_browser = nullptr;
    browser->Close(platform::CloseMode::NoSave);
    browser->Release();
}

void CPWebHost::CreateWebView(platform::Window* window)
{
    // A view made again replaces the old browser instead of losing it.
    CloseBrowser();
    m_window = window;

    void* created = nullptr;
    HResult result =
        platform::CreateEmbeddedObject(platform::ClassId::WebBrowser, platform::InterfaceId::EmbeddedObject,
                                       platform::RenderMode::Draw, &m_clientSite, &m_storage, &created);
    if (Failed(result) || !created) {
        LogLine("Web host: the web browser could not be created (" + ResultText(result) +
                "); the launcher shows no page");
        return;
    }
    m_browser = static_cast<platform::EmbeddedObject*>(created);
    m_browser->SetHostNames(u"Web Host", u"Web View");
    platform::SetObjectContained(m_browser, true);

    platform::Rect client = ClientRectOf(window);
    m_browser->DoVerb(platform::kVerbShow, &m_clientSite, -1, window, client);

    void* found = nullptr;
    result = m_browser->QueryInterface(platform::InterfaceId::WebBrowser, &found);
    g_splashPageAddress = kSplashPageAddress;
    if (Failed(result) || !found) {
        LogLine("Web host: the embedded object is no web browser (" + ResultText(result) +
                "); the page is not shown");
        return;
    }
    auto* control = static_cast<platform::WebBrowserControl*>(found);

    platform::Variant address = platform::TextVariant(g_splashPageAddress);
    platform::Variant empty;
    control->SetLeft(0);
    control->SetTop(0);
    control->SetWidth(client.right);
    control->SetHeight(client.bottom);
    control->Navigate(address, empty, empty, empty, empty);
    platform::ClearVariant(address);
    control->Release();
}

int CPWebHost::HandleMessage(platform::DialogMessage message, std::uintptr_t, std::intptr_t, std::intptr_t)
{
    switch (message) {
    case platform::DialogMessage::Destroy:
        CloseBrowser();
        platform::PostQuit(0);
        return 1;
    case platform::DialogMessage::Create:
        CreateWebView(m_window);
        return 1;
    default:
        return 0;
    }
}

HResult CPWebHost::QuerySite(platform::InterfaceId id, void** out)
{
    if (!out)
        return E_INVALIDARG;
    switch (id) {
    case platform::InterfaceId::Unknown:
    case platform::InterfaceId::ClientSite:
        *out = static_cast<platform::EmbedClientSite*>(&m_clientSite);
        return S_OK;
    case platform::InterfaceId::InPlaceSite:
        *out = static_cast<platform::EmbedInPlaceSite*>(&m_inPlaceSite);
        return S_OK;
    default:
        *out = nullptr;
        return E_NOINTERFACE;
    }
}

HResult CPWebHost::Storage::QueryInterface(platform::InterfaceId, void** out) { return RefuseQuery(out); }

HResult CPWebHost::ClientSite::QueryInterface(platform::InterfaceId id, void** out)
{
    return m_host->QuerySite(id, out);
}

HResult CPWebHost::ClientSite::GetContainer(platform::CountedInterface** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

HResult CPWebHost::InPlaceSite::QueryInterface(platform::InterfaceId id, void** out)
{
    return m_host->QuerySite(id, out);
}

HResult CPWebHost::InPlaceSite::GetWindow(platform::Window** window)
{
    if (!window)
        return E_INVALIDARG;
    *window = m_host->m_window;
    return S_OK;
}

HResult CPWebHost::InPlaceSite::GetWindowContext(platform::EmbedInPlaceFrame** frame,
                                                 platform::CountedInterface** document,
                                                 platform::Rect* position, platform::Rect* clip,
                                                 platform::FrameInfo* info)
{
    if (!frame || !document || !position || !clip || !info)
        return E_INVALIDARG;
    *frame = &m_host->m_inPlaceFrame;
    *document = nullptr;
    *position = ClientRectOf(m_host->m_window);
    *clip = *position;
    // The caller sets the structure's size; it is left as it is.
    info->isMdiApp = false;
    info->frame = m_host->m_window;
    info->accelerators = nullptr;
    info->acceleratorCount = 0;
    return S_OK;
}

HResult CPWebHost::InPlaceFrame::QueryInterface(platform::InterfaceId, void** out)
{
    return RefuseQuery(out);
}

HResult CPWebHost::InPlaceFrame::GetWindow(platform::Window** window)
{
    if (!window)
        return E_INVALIDARG;
    *window = m_host->m_window;
    return S_OK;
}
