#include "Render/PTexture.h"

#include <sys/stat.h>

#include "Render/PRender.h"
#include "Render/TextureLibrary.h"
#include "core/FileReader.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/PackFile.h"
#include "core/Tokenizer.h"
#include "platform/FileSystem.h"
#include "platform/TextureLoader.h"

namespace {

constexpr const char* kSourceName = "Render\\PTexture";
constexpr int kTextureFailureLine = 138;
constexpr int kCubeFailureLine = 107;
constexpr const char* kTextureFolder = "Data\\Textures";

// A file the data reader can load: a regular file on disk (a folder of
// that name does not count) or an entry of a pack file.
bool DataFileExists(const std::string& name)
{
    std::string hostPath;
    if (platform::ResolveExistingPath(name, hostPath)) {
        struct stat info {};
        if (stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return true;
    }
    const std::string entryName = PackEntryName(name);
    for (const PackFile& pack : GetPackFileList().GetPacks())
        if (pack.Find(entryName))
            return true;
    return false;
}

// The path a texture's file is read from: the file itself, else the same
// name ending in "jpg" in place of its last three characters. A name too
// short to carry an extension keeps its own path.
std::string TexturePath(const std::string& fileName)
{
    const std::string path = std::string(kTextureFolder) + "\\" + fileName;
    if (DataFileExists(path) || fileName.size() < 3)
        return path;
    return std::string(kTextureFolder) + "\\" + fileName.substr(0, fileName.size() - 3) + "jpg";
}

void ReportFailure(int line, HResult result, const std::string& path, const std::string& why)
{
    ReportDXError(kSourceName, line, result);
    LogLine("Texture file \"" + path + "\" cannot be made a texture: " + why);
}

} // namespace

CPTexture::~CPTexture()
{
    // A video texture's frame belongs to its player.
    if (!IsVideoName(m_name))
        ReleaseOwnTextures();
    if (m_library)
        m_library->Forget(this);
}

bool CPTexture::IsVideoName(const std::string& name) { return name == "VIDEO" || name == "VIDEO1"; }

void CPTexture::ReleaseOwnTextures()
{
    if (m_texture)
        m_texture->Release();
    if (m_cubeTexture)
        m_cubeTexture->Release();
    m_texture = nullptr;
    m_cubeTexture = nullptr;
}

void CPTexture::ShowVideo(platform::Texture* frame, const std::string& videoName)
{
    if (!IsVideoName(m_name))
        ReleaseOwnTextures();
    m_texture = frame;
    m_cubeTexture = nullptr;
    m_isCube = 0;
    m_name = videoName;
    platform::SurfaceDesc desc;
    if (frame && Succeeded(frame->GetLevelDesc(0, &desc))) {
        m_width = static_cast<int>(desc.width);
        m_height = static_cast<int>(desc.height);
    }
}

bool CPTexture::Load(const std::string& name)
{
    CPTokenizer tokenizer(name, ",", false);
    std::string fileName;
    tokenizer.NextToken(fileName);
    const std::string path = TexturePath(fileName);
    // A video frame this texture showed stays with its player.
    if (IsVideoName(m_name)) {
        m_texture = nullptr;
        m_cubeTexture = nullptr;
    }
    if (m_name != name)
        m_name = name;

    platform::TextureFileRequest request;
    bool cube = false;
    for (std::string option; tokenizer.NextToken(option);) {
        if (option == "nomip")
            request.mipLevels = 1;
        else if (option == "cube")
            cube = true;
    }

    CPFileReader reader(path, false);
    if (Failed(reader.Load()))
        return false;

    // A texture loaded again lets its earlier resources go.
    ReleaseOwnTextures();
    platform::GraphicsDevice* device = GetRender() ? GetRender()->GetDevice() : nullptr;
    std::string why;
    platform::SurfaceDesc desc;
    if (cube) {
        m_isCube = 1;
        const HResult result = platform::CreateCubeTextureFromFileInMemory(
            device, reader.GetData(), reader.GetDataSize(), request, &m_cubeTexture, &why);
        if (Failed(result)) {
            ReportFailure(kCubeFailureLine, result, path, why);
            return false;
        }
        m_cubeTexture->GetLevelDesc(0, &desc);
    } else {
        const HResult result = platform::CreateTextureFromFileInMemory(
            device, reader.GetData(), reader.GetDataSize(), request, &m_texture, &why);
        if (Failed(result)) {
            ReportFailure(kTextureFailureLine, result, path, why);
            return false;
        }
        m_texture->GetLevelDesc(0, &desc);
        const std::int32_t detail = GetGameSettings().textureValue;
        if (request.mipLevels != 1 && detail >= 0)
            m_texture->SetLOD(static_cast<std::uint32_t>(detail));
    }
    m_width = static_cast<int>(desc.width);
    m_height = static_cast<int>(desc.height);
    return true;
}
