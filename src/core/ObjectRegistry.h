#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Object.h"

class CPCommand;
class CPScriptObject;

// Finds script objects by name and by category and delivers commands to
// them. The registry holds raw pointers: script objects leave it when they
// are destroyed, and objects still listed when the registry goes are told
// so.
class CPObjectRegistry {
  public:
    CPObjectRegistry();
    ~CPObjectRegistry();

    CPObjectRegistry(const CPObjectRegistry&) = delete;
    CPObjectRegistry& operator=(const CPObjectRegistry&) = delete;

    // Lists the object under a name (an empty name lists none; a name in
    // use passes to the new object) and at the end of a category's sequence
    // (an empty category lists none; an object is listed in a category
    // once). Returns false for a null object.
    bool Register(const std::string& name, const std::string& category, CPScriptObject* object);
    // Removes every entry of the object.
    void Unregister(CPScriptObject* object);

    // Each send cuts the parameter text into parameters (see CPCommand) and
    // queues the command on every receiver that runs; anything else is
    // silently dropped. The command's name goes as a view into the slots
    // the receivers keep: senders name commands by literals, many longer
    // than a short text holds in place.
    void SendCommandByName(const std::string& objectName, std::string_view command,
                           const std::string& params);
    void SendCommandByCategory(const std::string& category, std::string_view command,
                               const std::string& params);
    void SendCommandByObject(CPObjectPtr receiver, std::string_view command, const std::string& params);

    // The object registered under the name; empty when there is none.
    CPObjectPtr FindObject(const std::string& name) const;
    // The objects of a category in their order; null when there is none.
    const std::vector<CPScriptObject*>* GetCategory(const std::string& category) const;

  private:
    void Deliver(CPScriptObject* const* receivers, std::size_t count, std::string_view command,
                 const std::string& params);
    bool IsListed(const CPScriptObject* object) const;

    std::unordered_map<std::string, CPScriptObject*> m_byName;
    std::unordered_map<std::string, std::vector<CPScriptObject*>> m_byCategory;
};
