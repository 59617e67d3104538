#include "app/StartupCheck.h"

#include <filesystem>
#include <system_error>

#include <lua.hpp>

#include "core/FileReader.h"
#include "core/PackFile.h"
#include "core/StringUtils.h"
#include "script/ScriptHost.h"

namespace startup {

namespace {

std::string CheckDataFolder(const std::string& dataRoot)
{
    std::error_code error;
    if (std::filesystem::is_directory(dataRoot, error))
        return "";
    if (std::filesystem::exists(dataRoot, error))
        return "The data folder \"" + dataRoot + "\" is not a folder";
    return "The data folder \"" + dataRoot + "\" does not exist";
}

bool HasStartScript()
{
    CPFileReader reader(CPScriptHost::kStartScript, false);
    return reader.Load() == S_OK;
}

std::string CheckStartScript(const Needs& needs, const CPScriptHost& scripts)
{
    if (needs.startScriptRan)
        return "";
    if (!HasStartScript()) {
        if (!needs.startScript)
            return "";
        return "The data folder \"" + needs.dataRoot + "\" holds no start script " +
               CPScriptHost::kStartScript;
    }
    return std::string("The start script ") + CPScriptHost::kStartScript +
           " failed: " + scripts.GetLastError();
}

bool HasPack(const std::string& name)
{
    std::string wanted = name;
    ToLowerString(wanted);
    for (const PackFile& pack : GetPackFileList().GetPacks()) {
        std::string have = pack.fileName;
        if (ToLowerString(have) == wanted)
            return true;
    }
    return false;
}

// The first pack of the start script's list that is not in the pack list
// (missing, or left out as broken); "" when all are there.
std::string FindMissingPack(lua_State* L)
{
    std::string missing;
    lua_getglobal(L, kRequiredPacks);
    if (lua_istable(L, -1)) {
        for (int i = 1; missing.empty(); ++i) {
            lua_rawgeti(L, -1, i);
            const bool listed = lua_isstring(L, -1) != 0;
            const std::string name = listed ? lua_tostring(L, -1) : "";
            lua_pop(L, 1);
            if (!listed)
                break;
            if (!HasPack(name))
                missing = name;
        }
    }
    lua_pop(L, 1);
    return missing;
}

} // namespace

std::string FindProblem(const Needs& needs, const CPScriptHost& scripts)
{
    std::string problem = CheckDataFolder(needs.dataRoot);
    if (problem.empty())
        problem = CheckStartScript(needs, scripts);
    if (!problem.empty())
        return problem;
    const std::string pack = FindMissingPack(scripts.GetState());
    if (pack.empty())
        return "";
    return "The data folder \"" + needs.dataRoot + "\" lacks the pack " + pack +
           " that the start script needs (missing or broken)";
}

} // namespace startup
