#include "platform/Shell.h"
#include "platform/RecordingShell.h"
#include "core/ServiceOverride.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
  public:
    TempFolder()
    {
        char pattern[] = "/tmp/rs_shell_XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempFolder() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    const std::string& Path() const { return m_path; }

    std::string Write(const std::string& name, const std::string& text, bool executable)
    {
        std::string path = m_path + "/" + name;
        std::ofstream(path) << text;
        chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }

  private:
    std::string m_path;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Swaps PATH for the test's own and puts it back.
class PathOverride {
  public:
    explicit PathOverride(const std::string& path)
    {
        const char* old = std::getenv("PATH");
        m_old = old ? old : "";
        setenv("PATH", path.c_str(), 1);
    }
    ~PathOverride() { setenv("PATH", m_old.c_str(), 1); }

  private:
    std::string m_old;
};

ShellRequest OpenRequest(const std::string& file, const std::string& folder = "")
{
    ShellRequest request;
    request.verb = "open";
    request.file = file;
    request.folder = folder;
    return request;
}

} // namespace

TEST(ResolveProgram, DropsExeAndFindsOnlyExecutableFiles)
{
    TempFolder folder;
    std::string game = folder.Write("game", "#!/bin/sh\n", true);
    folder.Write("notes", "text", false);
    mkdir((folder.Path() + "/dir").c_str(), 0755);

    struct Case {
        const char* file;
        std::string expected;
    } cases[] = {
        {"game.exe", game}, {"game.EXE", game},  {"game", game}, {"notes.exe", ""},
        {"dir.exe", ""},    {"missing.exe", ""}, {"", ""},       {".exe", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveProgram(c.file, folder.Path()), c.expected) << c.file;

    // With no folder the program is looked for beside the running program.
    EXPECT_EQ(ResolveProgram("game.exe", ""), "");
    EXPECT_FALSE(GetProgramFolder().empty());
}

TEST(ShellOpen, AddressesAndProgramsGoToTheirOwnRequests)
{
    TempFolder folder;
    std::string game = folder.Write("_exGame", "#!/bin/sh\n", true);
    RecordingShell shell;
    ServiceOverride<GetInstalledShell, SetShell> installedShell(&shell);

    std::string failure;
    EXPECT_EQ(ShellOpen(OpenRequest("https://pages.example/stats/x.html"), &failure), S_OK);
    ShellRequest start = OpenRequest("_exGame.exe", folder.Path());
    start.parameters = {"--data", "a b"};
    EXPECT_EQ(ShellOpen(start, &failure), S_OK);
    EXPECT_EQ(shell.GetRequests(), (std::vector<std::string>{"open https://pages.example/stats/x.html",
                                                             "start " + game + " --data a b"}));

    EXPECT_EQ(ShellOpen(OpenRequest("_exMissing.exe", folder.Path()), &failure), E_FAIL);
    EXPECT_NE(failure.find("_exMissing.exe"), std::string::npos);

    ShellRequest print = OpenRequest("https://pages.example/");
    print.verb = "print";
    EXPECT_EQ(ShellOpen(print, &failure), E_INVALIDARG);

    shell.FailRequests(true);
    failure.clear();
    EXPECT_EQ(ShellOpen(OpenRequest("https://pages.example/"), &failure), E_FAIL);
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(shell.GetRequests().size(), 3u);
}

TEST(RecordingShell, NotesEachRequestAsALineInItsFile)
{
    TempFolder folder;
    std::string log = folder.Path() + "/requests.txt";
    RecordingShell shell(log);
    EXPECT_EQ(shell.OpenAddress("https://pages.example/", nullptr), S_OK);
    EXPECT_EQ(shell.StartProgram("/bin/game", {"-x"}, nullptr), S_OK);
    EXPECT_EQ(ReadFile(log), "open https://pages.example/\nstart /bin/game -x\n");

    RecordingShell unwritable(folder.Path() + "/no/such/folder/requests.txt");
    std::string failure;
    EXPECT_EQ(unwritable.OpenAddress("https://pages.example/", &failure), E_FAIL);
    EXPECT_FALSE(failure.empty());
}

TEST(SystemShell, StartsProgramsWithTheirArgumentsAndWaitsForThem)
{
    TempFolder folder;
    std::string out = folder.Path() + "/args.txt";
    std::string program = folder.Write("prog", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$1\"\nexit $2\n", true);
    std::ostringstream printed;
    SystemShell shell(printed);

    EXPECT_EQ(shell.StartProgram(program, {out, "0", "two words"}, nullptr), S_OK);
    EXPECT_EQ(shell.WaitForPrograms(), 0);
    EXPECT_EQ(ReadFile(out), out + "|0|two words|");

    EXPECT_EQ(shell.StartProgram(program, {out, "0"}, nullptr), S_OK);
    EXPECT_EQ(shell.StartProgram(program, {out, "3"}, nullptr), S_OK);
    EXPECT_EQ(shell.WaitForPrograms(), 3);
    EXPECT_EQ(shell.WaitForPrograms(), 0);

    std::string failure;
    EXPECT_EQ(shell.StartProgram(folder.Path() + "/none", {}, &failure), E_FAIL);
    EXPECT_FALSE(failure.empty());
}

TEST(SystemShell, OpensAddressesWithTheDesktopOpenerOrPrintsThem)
{
    TempFolder folder;
    std::ostringstream printed;
    SystemShell shell(printed);
    const std::string address = "https://pages.example/stats/x.html";
    {
        PathOverride path(folder.Path());
        EXPECT_EQ(shell.OpenAddress(address, nullptr), S_OK);
        EXPECT_NE(printed.str().find(address), std::string::npos);
    }

    std::string opened = folder.Path() + "/opened.txt";
    folder.Write("xdg-open", "#!/bin/sh\necho \"$1\" > " + opened + "\n", true);
    {
        PathOverride path(folder.Path() + ":/usr/bin:/bin");
        printed.str("");
        EXPECT_EQ(shell.OpenAddress(address, nullptr), S_OK);
        EXPECT_EQ(ReadFile(opened), address + "\n");
        EXPECT_EQ(printed.str(), "");

        folder.Write("xdg-open", "#!/bin/sh\nexit 4\n", true);
        std::string failure;
        EXPECT_EQ(shell.OpenAddress(address, &failure), E_FAIL);
        EXPECT_NE(failure.find("4"), std::string::npos);
    }
}
