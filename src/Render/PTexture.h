#pragma once

#include <cstdint>
#include <string>

#include "core/Object.h"

namespace platform {
class Texture;
class CubeTexture;
} // namespace platform

class CPTextureLibrary;

// A texture loaded by name from "Data\Textures": a 2-D texture, or a cube
// texture when the name carries the option "cube". Options follow the file
// name after commas: "nomip" makes a single level. The video players'
// frame textures ("VIDEO", "VIDEO1") are shown through textures of those
// names, which leave the frame texture to its player.
class CPTexture : public CPObject {
  public:
    CPTexture() = default;
    ~CPTexture() override;
    CPTexture(const CPTexture&) = delete;
    CPTexture& operator=(const CPTexture&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPTexture); }
    std::string GetTypeName() const override { return "CPTexture - " + m_name; }

    // Loads the texture the name describes. False when its file cannot be
    // read (the reader logs why) or the picture cannot be made a texture
    // (reported in the log).
    bool Load(const std::string& name);

    platform::Texture* GetTexture() const { return m_texture; }
    platform::CubeTexture* GetCubeTexture() const { return m_cubeTexture; }
    const std::string& GetName() const { return m_name; }
    bool IsCube() const { return m_isCube != 0; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    // Whether the name is one the video players publish their frame under.
    static bool IsVideoName(const std::string& name);
    // Shows a video player's frame texture under its video name. The
    // player keeps owning the frame texture; what this texture had loaded
    // itself is released.
    void ShowVideo(platform::Texture* frame, const std::string& videoName);

  private:
    friend class CPTextureLibrary;
    void ReleaseOwnTextures();

    platform::Texture* m_texture = nullptr;
    platform::CubeTexture* m_cubeTexture = nullptr;
    std::string m_name;
    std::uint8_t m_isCube = 0;
    int m_width = 0;
    int m_height = 0;
    // The library that lists this texture, told when it goes.
    CPTextureLibrary* m_library = nullptr;
};
