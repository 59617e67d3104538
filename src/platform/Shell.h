#pragma once

#include <ostream>
#include <string>
#include <sys/types.h>
#include <vector>

#include "platform/Result.h"

// Opening a web address in the user's browser and starting a program, the
// two things the launcher asks of the desktop.
namespace platform {

class Shell {
  public:
    virtual ~Shell() = default;
    // On failure *failure says what went wrong, in a line for the log.
    virtual HResult OpenAddress(const std::string& address, std::string* failure) = 0;
    // path is a program file that exists; arguments follow its name.
    virtual HResult StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                                 std::string* failure) = 0;
};

// The shell every request goes to; null restores the system shell.
void SetShell(Shell* shell);
Shell& GetShell();
// The shell set last; null while requests go to the system shell.
Shell* GetInstalledShell();

constexpr int kShowNormal = 1;

struct ShellRequest {
    std::string verb;                    // only "open" is known
    std::string file;                    // a web address or a program's file name
    std::vector<std::string> parameters; // the program's arguments
    std::string folder;                  // where to look for the program; empty: beside this program
    int showCommand = kShowNormal;
};

// Carries out an "open" request: a file with "://" in it is a web address,
// anything else a program, found by ResolveProgram. On failure *failure
// (when given) says what went wrong, in a line for the log.
HResult ShellOpen(const ShellRequest& request, std::string* failure = nullptr);

// The program file a request names, as it sits on this system: a trailing
// ".exe" (any case) is dropped and the name is looked up in the folder, or
// beside the running program when the folder is empty. Empty when there is
// no such executable file.
std::string ResolveProgram(const std::string& file, const std::string& folder);

// The folder that holds the running program.
std::string GetProgramFolder();

// The desktop's shell: addresses go to xdg-open when it is installed, else
// they are printed for the user to open; programs are started with
// posix_spawn and run on their own until WaitForPrograms.
class SystemShell : public Shell {
  public:
    explicit SystemShell(std::ostream& out) : m_out(out) {}

    HResult OpenAddress(const std::string& address, std::string* failure) override;
    HResult StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                         std::string* failure) override;

    // Waits for every program started here; returns the first non-zero
    // exit status (a program killed by a signal counts as 128 + signal).
    int WaitForPrograms();

  private:
    std::ostream& m_out;
    std::vector<pid_t> m_started;
};

} // namespace platform
