#include <optional>

#include "launcher/WebHost.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "core/Log.h"
#include "platform/WebBrowser.h"
#include "core/ServiceOverride.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Hands out recording browsers and keeps the record of each.
class BrowserFactory {
  public:
    enum class Kind { Browser, NoBrowserInterface, Nothing };
    explicit BrowserFactory(Kind kind = Kind::Browser)
    {
        m_installed.emplace([this, kind](ClassId) -> CountedInterface* {
            if (kind == Kind::Nothing)
                return nullptr;
            records.push_back(std::make_shared<WebBrowserRecord>());
            return static_cast<EmbeddedObject*>(
                new RecordingWebBrowser(records.back(), kind == Kind::Browser));
        });
    }
    std::vector<std::shared_ptr<WebBrowserRecord>> records;

  private:
    std::optional<ServiceOverride<GetEmbeddedObjectFactory, SetEmbeddedObjectFactory>> m_installed;
};

struct CountedHost : CPWebHost {
    explicit CountedHost(int* deaths) : deaths(deaths) {}
    ~CountedHost() override { ++*deaths; }
    int* deaths;
};

class WebHostTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        logPath = "/tmp/rs_webhost_log_" + std::to_string(getpid()) + ".txt";
        std::remove(logPath.c_str());
        SetLogFilePath(logPath);
        StartEmbedding();
        ClearPostedQuit();
    }
    void TearDown() override
    {
        EndEmbedding();
        SetLogFilePath("log.txt");
        std::remove(logPath.c_str());
    }
    std::string Log()
    {
        std::ifstream in(logPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The frame control of the launcher dialog: 429 by 298 dialog units.
    Window frame{1026, WindowKind::Static, "", Rect{11, 11, 11 + 644, 11 + 484}};
    std::string logPath;
};

} // namespace

TEST_F(WebHostTest, SiteInterfacesAnswerTheirQueries)
{
    CPWebHost host;
    void* clientSite = host.GetClientSite();
    void* inPlaceSite = host.GetInPlaceSite();
    void* sentinel = reinterpret_cast<void*>(0x1);
    struct Case {
        const char* name;
        CountedInterface* on;
        InterfaceId id;
        HResult result;
        void* out;
    } cases[] = {
        {"client/unknown", host.GetClientSite(), InterfaceId::Unknown, S_OK, clientSite},
        {"client/client", host.GetClientSite(), InterfaceId::ClientSite, S_OK, clientSite},
        {"client/in-place", host.GetClientSite(), InterfaceId::InPlaceSite, S_OK, inPlaceSite},
        {"client/frame", host.GetClientSite(), InterfaceId::InPlaceFrame, E_NOINTERFACE, nullptr},
        {"client/storage", host.GetClientSite(), InterfaceId::Storage, E_NOINTERFACE, nullptr},
        {"in-place/client", host.GetInPlaceSite(), InterfaceId::ClientSite, S_OK, clientSite},
        {"in-place/unknown", host.GetInPlaceSite(), InterfaceId::Unknown, S_OK, clientSite},
        {"in-place/in-place", host.GetInPlaceSite(), InterfaceId::InPlaceSite, S_OK, inPlaceSite},
        {"in-place/browser", host.GetInPlaceSite(), InterfaceId::WebBrowser, E_NOINTERFACE, nullptr},
        {"storage/storage", host.GetStorage(), InterfaceId::Storage, E_NOTIMPL, nullptr},
        {"storage/unknown", host.GetStorage(), InterfaceId::Unknown, E_NOTIMPL, nullptr},
        {"frame/frame", host.GetInPlaceFrame(), InterfaceId::InPlaceFrame, E_NOTIMPL, nullptr},
        {"frame/client", host.GetInPlaceFrame(), InterfaceId::ClientSite, E_NOTIMPL, nullptr},
    };
    for (const Case& c : cases) {
        void* out = sentinel;
        EXPECT_EQ(c.on->QueryInterface(c.id, &out), c.result) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
    EXPECT_EQ(host.GetUseCount(), 1u);
}

TEST_F(WebHostTest, SiteUsesAreNotCountedTheHostsOwnCountIs)
{
    CPWebHost host;
    CountedInterface* sites[] = {host.GetStorage(), host.GetClientSite(), host.GetInPlaceSite(),
                                 host.GetInPlaceFrame()};
    for (CountedInterface* site : sites) {
        EXPECT_EQ(site->AddRef(), 1u);
        EXPECT_EQ(site->AddRef(), 1u);
        EXPECT_EQ(site->Release(), 1u);
    }
    EXPECT_EQ(host.GetUseCount(), 1u);

    int deaths = 0;
    auto* counted = new CountedHost(&deaths);
    EXPECT_EQ(counted->AddRef(), 2u);
    EXPECT_EQ(counted->Release(), 1u);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(counted->Release(), 0u);
    EXPECT_EQ(deaths, 1);
}

TEST_F(WebHostTest, FixedAnswersOfTheSites)
{
    CPWebHost host;
    EXPECT_EQ(host.GetStorage()->SetClass(ClassId::WebBrowser), S_OK);
    EXPECT_EQ(host.GetStorage()->Commit(), E_NOTIMPL);
    EXPECT_EQ(host.GetStorage()->Stat(), E_NOTIMPL);

    CountedInterface* container = reinterpret_cast<CountedInterface*>(0x1);
    EXPECT_EQ(host.GetClientSite()->GetContainer(&container), E_NOINTERFACE);
    EXPECT_EQ(container, nullptr);
    EXPECT_EQ(host.GetClientSite()->ShowObject(), S_OK);
    EXPECT_EQ(host.GetClientSite()->SaveObject(), E_NOTIMPL);

    EXPECT_EQ(host.GetInPlaceSite()->CanInPlaceActivate(), S_OK);
    EXPECT_EQ(host.GetInPlaceSite()->Scroll(1, 1), E_NOTIMPL);
    EXPECT_EQ(host.GetInPlaceFrame()->SetStatusText(u"x"), S_OK);
    EXPECT_EQ(host.GetInPlaceFrame()->InsertMenus(), E_NOTIMPL);
}

TEST_F(WebHostTest, CreateWebViewShowsTheSplashPageFillingTheFrame)
{
    BrowserFactory factory;
    CPWebHost host;
    host.CreateWebView(&frame);

    ASSERT_EQ(factory.records.size(), 1u);
    const WebBrowserRecord& browser = *factory.records[0];
    EXPECT_EQ(browser.hostApplication, u"Web Host");
    EXPECT_EQ(browser.hostObject, u"Web View");
    EXPECT_TRUE(browser.contained);
    EXPECT_TRUE(browser.hasClientSite);
    EXPECT_EQ(browser.verb, kVerbShow);
    EXPECT_EQ(browser.window, &frame);
    EXPECT_EQ(browser.verbPosition, (Rect{0, 0, 644, 484}));

    // What the in-place site told the browser while it activated.
    EXPECT_TRUE(browser.inPlaceActive);
    EXPECT_EQ(browser.siteWindow, &frame);
    EXPECT_EQ(browser.sitePosition, (Rect{0, 0, 644, 484}));
    EXPECT_EQ(browser.siteClip, (Rect{0, 0, 644, 484}));
    EXPECT_EQ(browser.siteFrameInfo.size, sizeof(FrameInfo));
    EXPECT_FALSE(browser.siteFrameInfo.isMdiApp);
    EXPECT_EQ(browser.siteFrameInfo.frame, &frame);
    EXPECT_EQ(browser.siteFrameInfo.acceleratorCount, 0u);

    EXPECT_EQ(browser.left, 0);
    EXPECT_EQ(browser.top, 0);
    EXPECT_EQ(browser.width, 644);
    EXPECT_EQ(browser.height, 484);
    EXPECT_EQ(browser.address, kSplashPageAddress);
    EXPECT_EQ(GetSplashPageAddress(), kSplashPageAddress);
    EXPECT_NE(GetSplashPageAddress().find("/splash/"), std::string::npos);
    EXPECT_EQ(GetSplashPageAddress().substr(GetSplashPageAddress().size() - 9), "/pads.php");
    EXPECT_EQ(browser.navigations, 1);
    EXPECT_EQ(frame.GetShownPage(), kSplashPageAddress);

    // The host holds exactly one use of the browser.
    EXPECT_EQ(browser.references, 1u);
    EXPECT_EQ(host.GetBrowser() != nullptr, true);
}

TEST_F(WebHostTest, NoBrowserMeansAnEmptyFrameAndALogLine)
{
    BrowserFactory factory(BrowserFactory::Kind::Nothing);
    {
        CPWebHost host;
        host.CreateWebView(&frame);
        EXPECT_EQ(host.GetBrowser(), nullptr);
        host.CloseBrowser();
        EXPECT_EQ(host.HandleMessage(DialogMessage::Destroy, 0, 0, 0), 1);
    }
    EXPECT_EQ(frame.GetShownPage(), "");
    EXPECT_NE(Log().find("web browser could not be created"), std::string::npos);
}

TEST_F(WebHostTest, ABrowserWithoutItsBrowserInterfaceIsShownButNotNavigated)
{
    BrowserFactory factory(BrowserFactory::Kind::NoBrowserInterface);
    {
        CPWebHost host;
        host.CreateWebView(&frame);
        ASSERT_EQ(factory.records.size(), 1u);
        const WebBrowserRecord& browser = *factory.records[0];
        EXPECT_EQ(browser.verbCount, 1);
        EXPECT_EQ(browser.width, -1);
        EXPECT_EQ(browser.navigations, 0);
        EXPECT_EQ(browser.references, 1u);
    }
    EXPECT_EQ(factory.records[0]->closes, 1);
    EXPECT_TRUE(factory.records[0]->destroyed);
    EXPECT_NE(Log().find("no web browser"), std::string::npos);
}

TEST_F(WebHostTest, DestroyClosesTheBrowserOnceWhateverCloseComesAfter)
{
    BrowserFactory factory;
    int deaths = 0;
    auto* host = new CountedHost(&deaths);
    host->CreateWebView(&frame);
    const WebBrowserRecord& browser = *factory.records[0];

    EXPECT_EQ(host->HandleMessage(DialogMessage::Destroy, 0, 0, 0), 1);
    EXPECT_EQ(browser.closes, 1);
    EXPECT_EQ(browser.closeMode, CloseMode::NoSave);
    EXPECT_TRUE(browser.destroyed);
    EXPECT_EQ(host->GetBrowser(), nullptr);
    EXPECT_TRUE(IsQuitPosted());
    EXPECT_EQ(GetPostedQuitCode(), 0);

    // The launcher's own close after its dialog, then the host's last use.
    host->CloseBrowser();
    EXPECT_EQ(host->HandleMessage(DialogMessage::Destroy, 0, 0, 0), 1);
    EXPECT_EQ(host->Release(), 0u);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(browser.closes, 1);
}

TEST_F(WebHostTest, CreateMessageRebuildsTheViewInTheHostsWindowReplacingTheOldBrowser)
{
    BrowserFactory factory;
    CPWebHost host;
    host.CreateWebView(&frame);
    EXPECT_EQ(host.HandleMessage(DialogMessage::Create, 0, 0, 0), 1);
    ASSERT_EQ(factory.records.size(), 2u);
    EXPECT_EQ(factory.records[0]->closes, 1);
    EXPECT_TRUE(factory.records[0]->destroyed);
    EXPECT_EQ(factory.records[1]->window, &frame);
    EXPECT_EQ(factory.records[1]->navigations, 1);

    EXPECT_EQ(host.HandleMessage(DialogMessage::Command, 0, 0, 0), 0);
    EXPECT_EQ(host.HandleMessage(DialogMessage::Init, 0, 0, 0), 0);
}
