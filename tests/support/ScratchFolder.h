#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes. It can stand in as the data root for the
// object's lifetime.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& GetPath() const { return m_path; }
    // Host path of a file below the folder ("a/b.txt").
    std::string Path(const std::string& relative) const;

    // Writes a file below the folder, creating the folders on the way.
    void Write(const std::string& relative, const std::string& bytes) const;
    void Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const;
    // The whole file, or "" when it cannot be read.
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

    // Makes the folder the data root until the object goes.
    void UseAsDataRoot();

  private:
    std::string m_path;
    std::string m_previousRoot;
    bool m_isDataRoot = false;
};

// Points the log at a file of its own until the object goes, so a test can
// read what was logged.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string Text() const;
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

  private:
    ScratchFolder m_folder;
    std::string m_previousPath;
};
