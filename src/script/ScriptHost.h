#pragma once

#include <string>
#include <vector>

#include <lua.hpp>

class CPGameObject;
struct CPLine;
class CPObject;
class CPLuaScriptObject;

// The game's Lua state: the standard libraries the scripts are written
// against (base with coroutines, table, string, math, io, os; not debug
// nor package), the three tables of script functions and
// CreateScriptObject, through which the scripts make the script objects
// that receive the engine's commands. Scripts are run from source; their
// errors go to the log.
//
// CreateScriptObject(name, category, step[, onCommands]) registers a new
// script object under the name (and the category, unless it is ""), starts
// it in the kernel and returns it; from then on the kernel calls
// step(object) once a frame until the object is stopped. With onCommands
// true it is called only in the frames that find commands queued for the
// object: one that only answers commands then costs nothing in a frame
// without any. StepOnCommands(object, onCommands) changes that for an
// object made so, from the next time the kernel comes to it. The host owns
// the objects it made, the screens the scripts created and the trees they
// loaded, and deletes them before it closes the state.
class CPScriptHost {
  public:
    static constexpr const char* kStartScript = "Data\\Scripts\\main.lua";

    CPScriptHost();
    ~CPScriptHost();

    CPScriptHost(const CPScriptHost&) = delete;
    CPScriptHost& operator=(const CPScriptHost&) = delete;

    lua_State* GetState() const { return m_state; }

    // Reads the script through the file reader (from disk or a pack) and
    // runs it. False, with the reason in the log, when it cannot be read,
    // does not compile or fails.
    bool RunFile(const std::string& fileName);
    bool RunText(const std::string& text, const std::string& chunkName);

    // Runs kStartScript when the data holds one; a missing start script
    // is only noted in the log.
    bool RunStartScript();
    // Why the last run that failed did fail, as the log has it.
    const std::string& GetLastError() const { return m_lastError; }

    const std::vector<CPLuaScriptObject*>& GetScriptObjects() const { return m_scriptObjects; }

    // The host of the state; null for a state that no host opened.
    static CPScriptHost* FromState(lua_State* L);
    // Keeps a tree the scripts loaded until the state closes: the scripts
    // hold it by address only, so nothing else could delete it.
    void AdoptTree(CPGameObject* root);
    const std::vector<CPGameObject*>& GetAdoptedTrees() const { return m_trees; }
    // Keeps an object the scripts made whole (a screen) until the state
    // closes; it is deleted then, with everything it owns.
    void AdoptObject(CPObject* object);
    const std::vector<CPObject*>& GetAdoptedObjects() const { return m_objects; }

    // Where the scripts' search along the player's spline last ended: a
    // line of some level's spline, kept across calls and levels for as long
    // as the state lives.
    struct SplineSearch {
        CPLine* line = nullptr;
        bool taken = false;
    };
    SplineSearch& GetSplineSearch() { return m_splineSearch; }

  private:
    static int CreateScriptObject(lua_State* L);
    bool Run(const char* data, std::size_t size, const std::string& chunkName);

    lua_State* m_state = nullptr;
    std::string m_lastError;
    std::vector<CPLuaScriptObject*> m_scriptObjects;
    std::vector<CPGameObject*> m_trees;
    std::vector<CPObject*> m_objects;
    SplineSearch m_splineSearch;
};
