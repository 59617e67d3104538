#pragma once

#include <string>

#include "launcher/MessageHandler.h"
#include "platform/Embedding.h"

// Shows the distributor's splash page in a window of the launcher dialog.
// It is a minimal container for the embedded web browser: it offers the
// browser a storage, a client site, an in-place site and an in-place frame,
// all parts of this one object, which answer with fixed results and count
// nothing; the host's own use count governs its life.
class CPWebHost : public CPMessageHandler {
  public:
    CPWebHost();
    ~CPWebHost() override;

    // Creates the browser in the window, sizes it to the window's client
    // area and sends it to the splash page.
    void CreateWebView(platform::Window* window);

    // Closes the browser without saving and lets it go; nothing happens
    // when there is none, so it may be called any number of times.
    void CloseBrowser();

    // Destroy closes the browser and asks the message loop to quit; Create
    // builds the view again in the host's window.
    int HandleMessage(platform::DialogMessage message, std::uintptr_t wParam, std::intptr_t lParam,
                      std::intptr_t extra) override;

    platform::EmbeddedObject* GetBrowser() const { return m_browser; }
    platform::EmbedStorage* GetStorage() { return &m_storage; }
    platform::EmbedClientSite* GetClientSite() { return &m_clientSite; }
    platform::EmbedInPlaceSite* GetInPlaceSite() { return &m_inPlaceSite; }
    platform::EmbedInPlaceFrame* GetInPlaceFrame() { return &m_inPlaceFrame; }

  private:
    class Storage : public platform::EmbedStorage {
      public:
        HResult QueryInterface(platform::InterfaceId id, void** out) override;
        std::uint32_t AddRef() override { return 1; }
        std::uint32_t Release() override { return 1; }
        HResult CreateStream() override { return E_NOTIMPL; }
        HResult OpenStream() override { return E_NOTIMPL; }
        HResult CreateStorage() override { return E_NOTIMPL; }
        HResult OpenStorage() override { return E_NOTIMPL; }
        HResult CopyTo() override { return E_NOTIMPL; }
        HResult MoveElementTo() override { return E_NOTIMPL; }
        HResult Commit() override { return E_NOTIMPL; }
        HResult Revert() override { return E_NOTIMPL; }
        HResult EnumElements() override { return E_NOTIMPL; }
        HResult DestroyElement() override { return E_NOTIMPL; }
        HResult RenameElement() override { return E_NOTIMPL; }
        HResult SetElementTimes() override { return E_NOTIMPL; }
        HResult SetClass(platform::ClassId) override { return S_OK; }
        HResult SetStateBits() override { return E_NOTIMPL; }
        HResult Stat() override { return E_NOTIMPL; }
    };

    class ClientSite : public platform::EmbedClientSite {
      public:
        explicit ClientSite(CPWebHost* host) : m_host(host) {}
        HResult QueryInterface(platform::InterfaceId id, void** out) override;
        std::uint32_t AddRef() override { return 1; }
        std::uint32_t Release() override { return 1; }
        HResult SaveObject() override { return E_NOTIMPL; }
        HResult GetMoniker() override { return E_NOTIMPL; }
        HResult GetContainer(platform::CountedInterface** container) override;
        HResult ShowObject() override { return S_OK; }
        HResult OnShowWindow(bool) override { return E_NOTIMPL; }
        HResult RequestNewObjectLayout() override { return E_NOTIMPL; }

      private:
        CPWebHost* m_host;
    };

    class InPlaceSite : public platform::EmbedInPlaceSite {
      public:
        explicit InPlaceSite(CPWebHost* host) : m_host(host) {}
        HResult QueryInterface(platform::InterfaceId id, void** out) override;
        std::uint32_t AddRef() override { return 1; }
        std::uint32_t Release() override { return 1; }
        HResult GetWindow(platform::Window** window) override;
        HResult ContextSensitiveHelp(bool) override { return E_NOTIMPL; }
        HResult CanInPlaceActivate() override { return S_OK; }
        HResult OnInPlaceActivate() override { return S_OK; }
        HResult OnUIActivate() override { return S_OK; }
        HResult GetWindowContext(platform::EmbedInPlaceFrame** frame, platform::CountedInterface** document,
                                 platform::Rect* position, platform::Rect* clip,
                                 platform::FrameInfo* info) override;
        HResult Scroll(int, int) override { return E_NOTIMPL; }
        HResult OnUIDeactivate(bool) override { return S_OK; }
        HResult OnInPlaceDeactivate() override { return S_OK; }
        HResult DiscardUndoState() override { return E_NOTIMPL; }
        HResult DeactivateAndUndo() override { return E_NOTIMPL; }
        HResult OnPosRectChange(const platform::Rect&) override { return S_OK; }

      private:
        CPWebHost* m_host;
    };

    class InPlaceFrame : public platform::EmbedInPlaceFrame {
      public:
        explicit InPlaceFrame(CPWebHost* host) : m_host(host) {}
        HResult QueryInterface(platform::InterfaceId id, void** out) override;
        std::uint32_t AddRef() override { return 1; }
        std::uint32_t Release() override { return 1; }
        HResult GetWindow(platform::Window** window) override;
        HResult ContextSensitiveHelp(bool) override { return E_NOTIMPL; }
        HResult GetBorder(platform::Rect*) override { return E_NOTIMPL; }
        HResult RequestBorderSpace(const platform::Rect&) override { return E_NOTIMPL; }
        HResult SetBorderSpace(const platform::Rect*) override { return E_NOTIMPL; }
        HResult SetActiveObject(platform::CountedInterface*, const std::u16string&) override { return S_OK; }
        HResult InsertMenus() override { return E_NOTIMPL; }
        HResult SetMenu() override { return S_OK; }
        HResult RemoveMenus() override { return E_NOTIMPL; }
        HResult SetStatusText(const std::u16string&) override { return S_OK; }
        HResult EnableModeless(bool) override { return S_OK; }
        HResult TranslateAccelerator() override { return E_NOTIMPL; }

      private:
        CPWebHost* m_host;
    };

    // Answers the site interfaces of the host for the client and in-place
    // sites' queries.
    HResult QuerySite(platform::InterfaceId id, void** out);

    Storage m_storage;
    ClientSite m_clientSite;
    InPlaceSite m_inPlaceSite;
    InPlaceFrame m_inPlaceFrame;
    platform::EmbeddedObject* m_browser = nullptr;
};

// The address of the splash page: empty until a view is created.
const std::string& GetSplashPageAddress();

// The built-in address of the distributor's splash page.
extern const char* const kSplashPageAddress;
