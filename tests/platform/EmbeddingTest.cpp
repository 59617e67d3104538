#include <optional>

#include "platform/Embedding.h"
#include "platform/WebBrowser.h"
#include "core/ServiceOverride.h"

#include <memory>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Hands out browsers whose record the test keeps.
class BrowserFactory {
  public:
    explicit BrowserFactory(bool offersControl = true)
    {
        m_installed.emplace([this, offersControl](ClassId) -> CountedInterface* {
            record = std::make_shared<WebBrowserRecord>();
            return static_cast<EmbeddedObject*>(new RecordingWebBrowser(record, offersControl));
        });
    }
    std::shared_ptr<WebBrowserRecord> record;

  private:
    std::optional<ServiceOverride<GetEmbeddedObjectFactory, SetEmbeddedObjectFactory>> m_installed;
};

EmbeddedObject* Create(HResult* result)
{
    void* out = reinterpret_cast<void*>(1);
    *result = CreateEmbeddedObject(ClassId::WebBrowser, InterfaceId::EmbeddedObject, RenderMode::Draw,
                                   nullptr, nullptr, &out);
    return static_cast<EmbeddedObject*>(out);
}

} // namespace

TEST(Embedding, CreatingNeedsTheEmbeddingRuntime)
{
    BrowserFactory factory;
    HResult result = S_OK;
    EXPECT_EQ(Create(&result), nullptr);
    EXPECT_EQ(result, E_NOT_STARTED);
    EXPECT_EQ(factory.record, nullptr);

    StartEmbedding();
    EmbeddedObject* browser = Create(&result);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(factory.record->references, 1u);
    EXPECT_EQ(browser->Release(), 0u);
    EXPECT_TRUE(factory.record->destroyed);
    EndEmbedding();
    EXPECT_FALSE(IsEmbeddingStarted());
}

TEST(Embedding, AClassThatCannotBeMadeFails)
{
    ServiceOverride<GetEmbeddedObjectFactory, SetEmbeddedObjectFactory> installedEmbeddedObjectFactory(
        [](ClassId) -> CountedInterface* { return nullptr; });
    StartEmbedding();
    HResult result = S_OK;
    EXPECT_EQ(Create(&result), nullptr);
    EXPECT_EQ(result, E_FAIL);
    EndEmbedding();
}

TEST(RecordingWebBrowser, AnswersItsInterfacesAndCountsItsUses)
{
    auto record = std::make_shared<WebBrowserRecord>();
    auto* browser = new RecordingWebBrowser(record);
    struct Case {
        InterfaceId id;
        HResult result;
    } cases[] = {{InterfaceId::Unknown, S_OK},
                 {InterfaceId::EmbeddedObject, S_OK},
                 {InterfaceId::WebBrowser, S_OK},
                 {InterfaceId::ClientSite, E_NOINTERFACE},
                 {InterfaceId::Storage, E_NOINTERFACE}};
    for (const Case& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(browser->QueryInterface(c.id, &out), c.result);
        if (c.result == S_OK) {
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(record->references, 2u);
            static_cast<CountedInterface*>(out)->Release();
        } else {
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_EQ(record->references, 1u);
    }

    auto* refusing = new RecordingWebBrowser(std::make_shared<WebBrowserRecord>(), false);
    void* out = nullptr;
    EXPECT_EQ(refusing->QueryInterface(InterfaceId::WebBrowser, &out), E_NOINTERFACE);
    EXPECT_EQ(static_cast<EmbeddedObject*>(refusing)->Release(), 0u);

    EXPECT_EQ(static_cast<EmbeddedObject*>(browser)->AddRef(), 2u);
    EXPECT_EQ(static_cast<WebBrowserControl*>(browser)->Release(), 1u);
    EXPECT_FALSE(record->destroyed);
    EXPECT_EQ(static_cast<EmbeddedObject*>(browser)->Release(), 0u);
    EXPECT_TRUE(record->destroyed);
}

TEST(Variant, TextKeepsEveryByte)
{
    std::string bytes = "https://a.example/?q=\xE9";
    Variant value = TextVariant(bytes);
    EXPECT_EQ(value.kind, Variant::Kind::Text);
    EXPECT_EQ(value.text.size(), bytes.size());
    EXPECT_EQ(value.text.back(), u'\u00E9');
    EXPECT_EQ(NarrowText(value.text), bytes);
    ClearVariant(value);
    EXPECT_EQ(value.kind, Variant::Kind::Empty);
    EXPECT_TRUE(value.text.empty());
}
