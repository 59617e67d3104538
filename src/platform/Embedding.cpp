#include "platform/Embedding.h"

#include "platform/CallRecorder.h"
#include "platform/WebBrowser.h"

namespace platform {

namespace {

CountedInterface* MakeDefaultObject(ClassId classId)
{
    if (classId != ClassId::WebBrowser)
        return nullptr;
    return static_cast<EmbeddedObject*>(new RecordingWebBrowser(std::make_shared<WebBrowserRecord>()));
}

EmbeddedObjectFactory& Factory()
{
    static EmbeddedObjectFactory factory = MakeDefaultObject;
    return factory;
}

} // namespace

std::u16string WidenText(const std::string& bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes)
        text.push_back(static_cast<char16_t>(byte));
    return text;
}

std::string NarrowText(const std::u16string& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t c : text)
        bytes.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return bytes;
}

Variant TextVariant(const std::string& bytes) { return Variant{Variant::Kind::Text, WidenText(bytes)}; }

void ClearVariant(Variant& value)
{
    value.kind = Variant::Kind::Empty;
    value.text.clear();
}

HResult CreateEmbeddedObject(ClassId classId, InterfaceId id, RenderMode render, EmbedClientSite* site,
                             EmbedStorage* storage, void** out)
{
    (void)render; // nothing is drawn here
    RecordCall("CreateEmbeddedObject");
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (!IsEmbeddingStarted())
        return E_NOT_STARTED;
    CountedInterface* object = Factory()(classId);
    if (!object)
        return E_FAIL;

    void* embedded = nullptr;
    HResult result = object->QueryInterface(InterfaceId::EmbeddedObject, &embedded);
    if (Succeeded(result)) {
        if (storage)
            storage->SetClass(classId);
        static_cast<EmbeddedObject*>(embedded)->SetClientSite(site);
        static_cast<EmbeddedObject*>(embedded)->Release();
        result = object->QueryInterface(id, out);
    }
    object->Release();
    if (Failed(result))
        *out = nullptr;
    return result;
}

HResult SetObjectContained(EmbeddedObject* object, bool contained)
{
    if (!object)
        return E_INVALIDARG;
    return object->SetContained(contained);
}

void SetEmbeddedObjectFactory(EmbeddedObjectFactory factory)
{
    Factory() = factory ? std::move(factory) : EmbeddedObjectFactory(MakeDefaultObject);
}

EmbeddedObjectFactory GetEmbeddedObjectFactory() { return Factory(); }

} // namespace platform
