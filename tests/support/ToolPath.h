#pragma once

#include <filesystem>
#include <string>

// The path of one of the project's data builders (tools/), which are built
// into bin/ of the build folder beside the tests' own folder; empty when
// that program is not built.
inline std::string ToolPath(const std::string& name)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::string();
    const std::filesystem::path tool = self.parent_path().parent_path() / "bin" / name;
    return std::filesystem::exists(tool) ? tool.string() : std::string();
}
