#include "support/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/Log.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "rs_test_XXXXXX").string();
    if (!::mkdtemp(&pattern[0]))
        throw std::runtime_error("cannot create a scratch folder");
    m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    if (m_isDataRoot)
        platform::SetDataRoot(m_previousRoot);
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string ScratchFolder::Path(const std::string& relative) const { return m_path + "/" + relative; }

void ScratchFolder::Write(const std::string& relative, const std::string& bytes) const
{
    fs::path path = Path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ScratchFolder::Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const
{
    Write(relative, std::string(bytes.begin(), bytes.end()));
}

std::string ScratchFolder::Read(const std::string& relative) const
{
    std::ifstream in(Path(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ScratchFolder::Exists(const std::string& relative) const { return fs::exists(Path(relative)); }

void ScratchFolder::UseAsDataRoot()
{
    if (!m_isDataRoot)
        m_previousRoot = platform::GetDataRoot();
    m_isDataRoot = true;
    platform::SetDataRoot(m_path);
}

LogCapture::LogCapture() : m_previousPath(GetLogFilePath()) { SetLogFilePath(m_folder.Path("log.txt")); }

LogCapture::~LogCapture() { SetLogFilePath(m_previousPath); }

std::string LogCapture::Text() const
{
    GetLogStream().flush();
    return m_folder.Read("log.txt");
}
