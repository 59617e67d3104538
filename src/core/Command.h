#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A command sent to a script object: a name and its parameters as text.
class CPCommand {
  public:
    CPCommand() = default;
    CPCommand(std::string name, std::vector<std::string> params)
        : m_name(std::move(name)), m_params(std::move(params))
    {
    }

    // Builds a command from a parameter text cut at "," with double quotes
    // grouping: "1, 2,,\"a,b\"" gives "1", "2", "" and "a,b". A trailing
    // comma adds nothing; an empty or blank text gives no parameters.
    static CPCommand FromText(const std::string& name, const std::string& paramText);
    static std::vector<std::string> CutParams(const std::string& paramText);

    // Becomes the command FromText builds, in the storage this command's
    // texts already have.
    void Assign(std::string_view name, const std::string& paramText);
    // Room for this many parameters of this many bytes each, and for a name
    // and a parameter text of that many: Assign then takes no block for
    // commands that fit, and a text that grew keeps its room.
    void Reserve(std::size_t params, std::size_t textRoom);

    const std::string& GetName() const { return m_name; }
    const std::vector<std::string>& GetParams() const { return m_params; }

  private:
    std::string TakeSpare();

    std::string m_name;
    std::vector<std::string> m_params;
    // Parameter texts not in use, with their room, and the text being cut.
    std::vector<std::string> m_spare;
    std::string m_text;
};
