#include "Render/VideoPlayer.h"

#include <cmath>
#include <cstring>

#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Render/TextureLibrary.h"
#include "core/GameSettings.h"
#include "core/Kernel.h"
#include "core/Log.h"
#include "core/SoundVolume.h"
#include "core/Singletons.h"
#include "platform/DrawSurface.h"
#include "platform/Embedding.h"
#include "platform/GraphicsDevice.h"
#include "platform/MediaGraph.h"
#include "platform/MediaStream.h"
#include "platform/Texture.h"

namespace {

template <class Interface> void ReleaseAndClear(Interface*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

void* MainWindow()
{
    CPKernel* kernel = GetKernel();
    return kernel ? kernel->GetMainWindow() : nullptr;
}

std::uint16_t To565(std::uint32_t pixel)
{
    const std::uint32_t red = (pixel >> 19) & 0x1Fu;
    const std::uint32_t green = (pixel >> 10) & 0x3Fu;
    const std::uint32_t blue = (pixel >> 3) & 0x1Fu;
    return static_cast<std::uint16_t>((red << 11) | (green << 5) | blue);
}

} // namespace

CPVideoPlayer::~CPVideoPlayer()
{
    ReleaseStreams();
    if (!m_texture)
        return;
    // Materials must not go on showing a frame that is gone.
    if (CPTextureLibrary* library = GetTextureLibrary()) {
        CPTexture* entry = library->FindTexture(m_site.textureKey);
        if (entry && entry->GetTexture() == m_texture)
            entry->ShowVideo(nullptr, m_site.textureName);
    }
    ReleaseAndClear(m_texture);
}

std::int32_t CPVideoPlayer::NextPowerOfTwo(std::int32_t n)
{
    std::int32_t power = 2;
    for (std::uint32_t rest = static_cast<std::uint32_t>(n < 2 ? 0 : n) >> 1; rest != 0; rest >>= 1)
        power <<= 1;
    return power;
}

float CPVideoPlayer::GetSoundVolume() { return ::GetSoundVolume(); }

std::int32_t CPVideoPlayer::VolumeFor(float soundVolume)
{
    const double quiet = 1.0 - static_cast<double>(soundVolume);
    return static_cast<std::int32_t>(quiet * quiet * quiet * quiet * -7000.0);
}

void CPVideoPlayer::ReleaseStreams()
{
    m_ready = false;
    ReleaseAndClear(m_audio);
    ReleaseAndClear(m_control);
    ReleaseAndClear(m_position);
    ReleaseAndClear(m_sample);
    ReleaseAndClear(m_drawStream);
    ReleaseAndClear(m_videoStream);
    ReleaseAndClear(m_stream);
    ReleaseAndClear(m_frameSurface);
    ReleaseAndClear(m_drawDevice);
}

HResult CPVideoPlayer::Fail(int line, HResult result)
{
    ReportDXError(m_site.sourceName, line, result);
    return result;
}

HResult CPVideoPlayer::InitStreams()
{
    HResult result = platform::CreateDrawDevice(&m_drawDevice);
    if (Failed(result))
        return Fail(m_site.createDrawDevice, result);
    result = m_drawDevice->SetCooperativeLevel(MainWindow(), platform::kDrawNormalCooperation);
    if (Failed(result))
        return Fail(m_site.cooperativeLevel, result);
    result = platform::CreateMultiMediaStream(&m_stream);
    if (Failed(result))
        return Fail(m_site.createStream, result);
    result = m_stream->Initialize(nullptr);
    if (Failed(result))
        return Fail(m_site.initializeStream, result);
    if (!m_noSound) {
        result = m_stream->AddMediaStream(nullptr, platform::StreamPurpose::PrimaryAudio,
                                          platform::kAddDefaultRenderer, nullptr);
        if (Failed(result))
            return Fail(m_site.addAudio, result);
    }
    result = m_stream->AddMediaStream(m_drawDevice, platform::StreamPurpose::PrimaryVideo, 0, nullptr);
    if (Failed(result))
        return Fail(m_site.addVideo, result);
    return result;
}

HResult CPVideoPlayer::Init()
{
    ReleaseStreams();
    const HResult result = InitStreams();
    if (Failed(result))
        ReleaseStreams();
    return result;
}

HResult CPVideoPlayer::PlayFile(const std::string& name, bool noSound)
{
    m_noSound = noSound ? 1 : 0;
    m_status = 0;
    m_ready = false;
    HResult result = Init();
    if (Failed(result))
        return Fail(m_site.init, result);
    CPRender* render = GetRender();
    m_device = render ? render->GetDevice() : nullptr;
    if (!m_device) {
        LogLine(std::string("Video \"") + name + "\" cannot play: there is no graphics device");
        ReleaseStreams();
        return E_FAIL;
    }
    Init();

    const std::string path = std::string(kVideoFolder) + "\\" + name;
    if (path.size() >= kMaxPath) {
        LogLine("Video file name \"" + path + "\" is too long");
        return E_INVALIDARG;
    }
    if (!m_stream) {
        LogLine("Video \"" + path + "\" cannot be played: its streams could not be made");
        return E_FAIL;
    }
    result = OpenStreams(platform::WidenText(path));
    if (Failed(result)) {
        LogLine("Video \"" + path + "\" cannot be played");
        return result;
    }
    m_status = 0;
    Publish();
    m_ready = true;
    return result;
}

HResult CPVideoPlayer::OpenStreams(const std::u16string& path)
{
    HResult result = m_stream->OpenFile(path);
    if (Failed(result))
        return Fail(m_site.openFile, result);
    result = m_stream->GetMediaStream(platform::StreamPurpose::PrimaryVideo, &m_videoStream);
    if (Failed(result))
        return Fail(m_site.getMediaStream, result);
    result = m_videoStream->QueryDrawStream(&m_drawStream);
    if (Failed(result))
        return Fail(m_site.queryDrawStream, result);
    platform::DrawSurfaceDesc desc;
    result = m_drawStream->GetFormat(&desc);
    if (Failed(result))
        return Fail(m_site.getFormat, result);

    ReleaseAndClear(m_frameSurface);
    result = m_drawDevice->CreateSurface(desc, &m_frameSurface);
    if (Failed(result))
        return Fail(m_site.createSurface, result);
    m_sourceLeft = 0;
    m_sourceTop = 0;
    m_sourceRight = static_cast<std::int32_t>(desc.width);
    m_sourceBottom = static_cast<std::int32_t>(desc.height);

    ReleaseAndClear(m_sample);
    result = m_drawStream->CreateSample(m_frameSurface, &m_sample);
    if (Failed(result))
        return Fail(m_site.createSample, result);

    result = MakeTexture(NextPowerOfTwo(m_sourceRight), NextPowerOfTwo(m_sourceBottom));
    if (Failed(result))
        return result;
    result = QueryGraph();
    if (Failed(result))
        return result;
    result = m_stream->SetState(platform::StreamRunState::Stopped);
    if (Failed(result))
        return Fail(m_site.setState, result);
    return result;
}

HResult CPVideoPlayer::MakeTexture(std::int32_t width, std::int32_t height)
{
    const std::int32_t depth = GetGameSettings().videoPlayerValue;
    // A texture of a device that is no longer the renderer's cannot be drawn.
    if (m_texture && m_texture->GetDevice() == m_device && m_textureDepth == depth &&
        m_textureWidth == width && m_textureHeight == height)
        return S_OK;
    ReleaseAndClear(m_texture);
    m_textureWidth = width;
    m_textureHeight = height;
    m_textureDepth = depth;
    const platform::PixelFormat format =
        depth == 32 ? platform::PixelFormat::X8R8G8B8 : platform::PixelFormat::R5G6B5;
    const HResult result =
        m_device->CreateTexture(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 1, 0,
                                format, platform::ResourcePool::Managed, &m_texture);
    // The library must never show the texture just released.
    Publish();
    if (Failed(result))
        return Fail(m_site.createTexture, result);
    return result;
}

HResult CPVideoPlayer::QueryGraph()
{
    platform::MediaGraph* graph = nullptr;
    HResult result = m_stream->GetFilterGraph(&graph);
    if (Failed(result))
        return Fail(m_site.getFilterGraph, result);
    struct GraphReference {
        platform::MediaGraph* graph;
        ~GraphReference() { graph->Release(); }
    } held{graph};

    ReleaseAndClear(m_control);
    ReleaseAndClear(m_position);
    ReleaseAndClear(m_audio);
    result = graph->QueryInterface(platform::MediaInterface::Control, reinterpret_cast<void**>(&m_control));
    if (Failed(result))
        return Fail(m_site.queryControl, result);
    result = graph->QueryInterface(platform::MediaInterface::Position, reinterpret_cast<void**>(&m_position));
    if (Failed(result))
        return Fail(m_site.queryPosition, result);
    if (m_noSound)
        return result;
    result = graph->QueryInterface(platform::MediaInterface::Audio, reinterpret_cast<void**>(&m_audio));
    if (Failed(result))
        return Fail(m_site.queryAudio, result);
    result = m_audio->SetVolume(VolumeFor(GetSoundVolume()));
    if (Failed(result))
        return Fail(m_site.putVolume, result);
    return result;
}

void CPVideoPlayer::Publish()
{
    CPTextureLibrary* library = GetTextureLibrary();
    if (!library) {
        LogLine(std::string("No texture library to show \"") + m_site.textureName + "\" in");
        return;
    }
    library->PublishVideoTexture(m_site.textureKey, m_site.textureName, m_texture);
}

void CPVideoPlayer::Step()
{
    // Nothing to show after a play that failed half way.
    if (!m_ready) {
        End();
        return;
    }
    if (m_status == 0) {
        const HResult result = m_stream->SetState(platform::StreamRunState::Running);
        if (Failed(result)) {
            LogLine(std::string("Video of \"") + m_site.textureName + "\" cannot be started");
            End();
            return;
        }
        m_status = 1;
    }
    const HResult result = m_sample->Update();
    if (result == platform::kStreamEnded) {
        // Shown on a material, a video plays on from the start until the
        // script stops it.
        if (!m_position || Failed(m_position->SetCurrentPosition(0.0)))
            End();
        return;
    }
    if (Failed(result)) {
        LogLine(std::string("Video of \"") + m_site.textureName + "\" stopped: a frame cannot be read");
        End();
        return;
    }
    CopyFrame();
}

void CPVideoPlayer::End()
{
    if (m_stream)
        m_stream->SetState(platform::StreamRunState::Stopped);
    m_status = 0;
    CPTask::End();
}

void CPVideoPlayer::CopyFrame()
{
    if (!m_texture || !m_frameSurface)
        return;
    const platform::PixelRect rect{0, 0, m_sourceRight, m_sourceBottom};
    platform::LockedRect locked;
    if (Failed(m_texture->LockRect(0, &locked, &rect, 0)))
        return;
    const std::uint8_t* source = m_frameSurface->GetBytes();
    const std::uint32_t sourcePitch = m_frameSurface->GetPitch();
    auto* target = static_cast<std::uint8_t*>(locked.bits);
    const bool wide = m_texture->GetFormat() == platform::PixelFormat::X8R8G8B8;
    for (std::int32_t y = 0; y < m_sourceBottom; ++y) {
        const std::uint8_t* row = source + static_cast<std::size_t>(y) * sourcePitch;
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(y) * locked.pitch;
        if (wide) {
            std::memcpy(out, row, static_cast<std::size_t>(m_sourceRight) * 4);
            continue;
        }
        for (std::int32_t x = 0; x < m_sourceRight; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, row + x * 4, 4);
            const std::uint16_t packed = To565(pixel);
            std::memcpy(out + x * 2, &packed, 2);
        }
    }
    m_texture->UnlockRect(0);
}
