#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Render/PRender.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "support/ScratchFolder.h"
#include "core/ServiceOverride.h"

// Small picture files and a data folder for the texture, effect and
// loading-screen tests.
namespace renderfiles {

using Bytes = std::vector<std::uint8_t>;

// An uncompressed 32-bit TGA, top row first, every pixel `argb`.
Bytes Tga(int width, int height, std::uint32_t argb);

// A DDS cube map of six `edge` x `edge` A8R8G8B8 faces with one level;
// face f is filled with `faceColours[f]`.
Bytes DdsCube(int edge, const std::uint32_t (&faceColours)[6]);

// A scratch data folder as the data root and the log captured, for one test.
class RenderFiles {
  public:
    RenderFiles();

    void WriteTexture(const std::string& name, const Bytes& bytes)
    {
        folder.Write("Data/Textures/" + name, bytes);
    }
    void WriteEffect(const std::string& name, const std::string& text)
    {
        folder.Write("Data/Effects/" + name, text);
    }
    // How many failure reports of the source at the line the log holds.
    int CountReports(const std::string& source, int line) const;

    ScratchFolder folder;
    LogCapture log;
};

// The files and a renderer alone over a device of its own (the program's
// renderer while the world lasts): what the device holds is what the
// renderer and the libraries a test makes asked of it, and nothing of the
// other services'.
class RenderWorld : public RenderFiles {
  public:
    platform::HeadlessGraphicsDevice device;
    CPRender render{&device};

  private:
    ServiceOverride<GetRender, SetRender> m_installed{&render};
};

} // namespace renderfiles
