#include "platform/Shell.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/CallRecorder.h"

extern char** environ;

namespace platform {

namespace {

Shell* g_shell = nullptr;

HResult Fail(std::string* failure, const std::string& what)
{
    if (failure)
        *failure = what;
    return E_FAIL;
}

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool EndsWithExe(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".exe";
}

std::string FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return "";
    std::string folders = path;
    std::string::size_type start = 0;
    while (start <= folders.size()) {
        std::string::size_type end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return "";
}

// Starts the program with its arguments; the child's id goes to *child.
int Spawn(const std::string& path, const std::vector<std::string>& arguments, pid_t* child)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return posix_spawn(child, path.c_str(), nullptr, nullptr, argv.data(), environ);
}

int ExitStatusOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 1;
}

} // namespace

void SetShell(Shell* shell) { g_shell = shell; }

Shell* GetInstalledShell() { return g_shell; }

Shell& GetShell()
{
    static SystemShell systemShell(std::cout);
    return g_shell ? *g_shell : systemShell;
}

std::string GetProgramFolder()
{
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer, static_cast<std::size_t>(length));
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string ResolveProgram(const std::string& file, const std::string& folder)
{
    if (file.empty())
        return "";
    std::string name = EndsWithExe(file) ? file.substr(0, file.size() - 4) : file;
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string path = name[0] == '/' ? name : (folder.empty() ? GetProgramFolder() : folder) + "/" + name;
    return IsExecutableFile(path) ? path : "";
}

HResult ShellOpen(const ShellRequest& request, std::string* failure)
{
    RecordCall("ShellOpen " + request.file);
    if (request.verb != "open") {
        Fail(failure, "the shell verb \"" + request.verb + "\" is not known");
        return E_INVALIDARG;
    }
    if (request.file.find("://") != std::string::npos)
        return GetShell().OpenAddress(request.file, failure);
    std::string path = ResolveProgram(request.file, request.folder);
    if (path.empty()) {
        return Fail(failure, "there is no program \"" + request.file + "\" in " +
                                 (request.folder.empty() ? GetProgramFolder() : request.folder));
    }
    return GetShell().StartProgram(path, request.parameters, failure);
}

HResult SystemShell::OpenAddress(const std::string& address, std::string* failure)
{
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) {
        m_out << "Open this address in your web browser: " << address << std::endl;
        return S_OK;
    }
    pid_t child = 0;
    int error = Spawn(opener, {address}, &child);
    if (error != 0)
        return Fail(failure, "could not start " + opener + ": " + std::strerror(error));
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (ExitStatusOf(status) != 0)
        return Fail(failure, opener + " " + address + " ended with " + std::to_string(ExitStatusOf(status)));
    return S_OK;
}

HResult SystemShell::StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                                  std::string* failure)
{
    pid_t child = 0;
    int error = Spawn(path, arguments, &child);
    if (error != 0)
        return Fail(failure, "could not start " + path + ": " + std::strerror(error));
    m_started.push_back(child);
    return S_OK;
}

int SystemShell::WaitForPrograms()
{
    int firstFailure = 0;
    for (pid_t child : m_started) {
        int status = 0;
        pid_t done;
        while ((done = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
        }
        int code = done < 0 ? 1 : ExitStatusOf(status);
        if (code != 0 && firstFailure == 0)
            firstFailure = code;
    }
    m_started.clear();
    return firstFailure;
}

} // namespace platform
