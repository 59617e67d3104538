#include "platform/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string& DataRoot()
{
    static std::string root = ".";
    return root;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualFolded(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

bool LessFolded(const std::string& a, const std::string& b)
{
    auto less = [](char x, char y) {
        return static_cast<unsigned char>(FoldCase(x)) < static_cast<unsigned char>(FoldCase(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less))
        return false;
    return a < b;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A name split into the folder it starts from and its components.
struct SplitName {
    std::string base;
    std::vector<std::string> components;
};

SplitName Split(const std::string& name)
{
    SplitName split;
    split.base = (!name.empty() && name[0] == '/') ? "/" : DataRoot();
    split.components.reserve(1 +
                             static_cast<std::size_t>(std::count_if(name.begin(), name.end(), IsSeparator)));
    std::string component;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i])) {
            component += name[i];
            continue;
        }
        if (!component.empty() && component != ".")
            split.components.push_back(std::move(component));
        component.clear();
    }
    return split;
}

std::string Join(const std::string& folder, const std::string& component)
{
    if (folder == ".")
        return component;
    if (!folder.empty() && folder.back() == '/')
        return folder + component;
    return folder + "/" + component;
}

// Join(path, component) in the room the path has.
void Append(std::string& path, const std::string& component)
{
    if (path == ".") {
        path = component;
        return;
    }
    if (path.empty() || path.back() != '/')
        path += '/';
    path += component;
}

bool Exists(const std::string& hostPath)
{
    struct stat info;
    return ::stat(hostPath.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& hostPath)
{
    struct stat info;
    return ::stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The names in a folder, "." and ".." left out, in a fixed order.
std::vector<std::string> ListFolder(const std::string& hostPath)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(hostPath.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), LessFolded);
    return names;
}

// The folder listings of the live FolderListingScope, by host path; null
// while none lives.
using FolderListings = std::unordered_map<std::string, std::vector<std::string>>;
FolderListings* g_listings = nullptr;

// The entry of a folder that stands for a component: the exact name when it
// exists, else the name equal to it without regard for case (the first in
// folded order when several are).
bool FindComponent(const std::string& folder, const std::string& component, std::string& hostPath)
{
    // Written into the caller's path, whose room is kept from call to call;
    // what it holds after a miss is no result.
    std::string& exact = hostPath;
    exact = folder;
    Append(exact, component);
    if (component == "..")
        return true;
    if (g_listings) {
        auto listed = g_listings->find(folder);
        if (listed == g_listings->end())
            listed = g_listings->emplace(folder, ListFolder(folder)).first;
        const std::vector<std::string>& names = listed->second;
        // The exact name wins, as a look at the disk would find it. Else
        // the listing is in folded order, so the first equal name is the
        // one a scan of the folder would choose. "." and ".." are not
        // listed, and no component equals them without regard for case
        // but themselves.
        if (std::find(names.begin(), names.end(), component) != names.end())
            return true;
        for (const std::string& name : names) {
            if (EqualFolded(name, component)) {
                hostPath = folder;
                Append(hostPath, name);
                return true;
            }
        }
        return false;
    }
    if (Exists(exact))
        return true;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    std::string best;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (EqualFolded(name, component) && (!found || LessFolded(name, best))) {
            best = name;
            found = true;
        }
    }
    ::closedir(dir);
    if (found) {
        hostPath = folder;
        Append(hostPath, best);
    }
    return found;
}

// Resolves components one by one; returns how many resolved and leaves
// the host path of those in hostPath.
std::size_t ResolvePrefix(const SplitName& split, std::string& hostPath)
{
    hostPath = split.base;
    std::size_t count = 0;
    std::string next;
    for (const std::string& component : split.components) {
        if (!FindComponent(hostPath, component, next))
            break;
        hostPath.swap(next);
        ++count;
    }
    return count;
}

bool IsReadingMode(const char* mode) { return mode && mode[0] == 'r' && std::strchr(mode, '+') == nullptr; }

bool GlobMatch(const char* pattern, const char* name)
{
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
            continue;
        }
        if (*pattern && (*pattern == '?' || FoldCase(*pattern) == FoldCase(*name))) {
            ++pattern;
            ++name;
            continue;
        }
        if (!starPattern)
            return false;
        pattern = starPattern;
        name = ++starName;
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

} // namespace

FolderListingScope::FolderListingScope()
{
    if (g_listings)
        return;
    g_listings = new FolderListings;
    m_owner = true;
}

FolderListingScope::~FolderListingScope()
{
    if (!m_owner)
        return;
    delete g_listings;
    g_listings = nullptr;
}

void SetDataRoot(const std::string& root) { DataRoot() = root.empty() ? std::string(".") : root; }

const std::string& GetDataRoot() { return DataRoot(); }

bool ResolveExistingPath(const std::string& name, std::string& hostPath)
{
    SplitName split = Split(name);
    std::string direct = split.base;
    direct.reserve(split.base.size() + name.size() + 1);
    for (const std::string& component : split.components)
        Append(direct, component);
    if (Exists(direct)) {
        hostPath = direct;
        return true;
    }
    std::string resolved;
    if (ResolvePrefix(split, resolved) != split.components.size())
        return false;
    hostPath = resolved;
    return true;
}

std::string ResolveWritePath(const std::string& name)
{
    SplitName split = Split(name);
    std::string hostPath;
    std::size_t resolved = ResolvePrefix(split, hostPath);
    for (std::size_t i = resolved; i < split.components.size(); ++i)
        Append(hostPath, split.components[i]);
    return hostPath;
}

std::FILE* OpenFile(const std::string& name, const char* mode)
{
    if (IsReadingMode(mode)) {
        std::string hostPath;
        if (!ResolveExistingPath(name, hostPath) || IsDirectory(hostPath))
            return nullptr;
        return std::fopen(hostPath.c_str(), mode);
    }
    std::string hostPath = ResolveWritePath(name);
    if (IsDirectory(hostPath))
        return nullptr;
    return std::fopen(hostPath.c_str(), mode);
}

ReadOnlyFile::ReadOnlyFile(const std::string& name)
{
    std::string hostPath;
    if (!ResolveExistingPath(name, hostPath))
        return;
    m_fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    struct stat info;
    if (::fstat(m_fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
    }
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool ReadOnlyFile::Measure(std::uint64_t& size) const
{
    struct stat info;
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return false;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* destination, std::size_t count) const
{
    auto* bytes = static_cast<char*>(destination);
    std::size_t done = 0;
    while (m_fd >= 0 && done < count) {
        const ssize_t got = ::pread(m_fd, bytes + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool MeasureFile(std::FILE* file, std::uint64_t& size)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0)
        return false;
    size = static_cast<std::uint64_t>(end);
    return true;
}

namespace {

ReplaceStage g_plannedFailure = ReplaceStage::None;

// A stage a test planned to fail fails once, as a full disk or a pulled
// plug would make it fail.
bool Fails(ReplaceStage stage)
{
    if (g_plannedFailure != stage)
        return false;
    g_plannedFailure = ReplaceStage::None;
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    if (Fails(ReplaceStage::Write)) {
        // Half the bytes land before the failure.
        [[maybe_unused]] const ssize_t half = ::write(fd, bytes, size / 2);
        return false;
    }
    while (size > 0) {
        const ssize_t done = ::write(fd, bytes, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// The new name of the file lives in its folder: that, too, must reach the
// disk before the replacement counts as done.
bool SyncFolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool synced = !Fails(ReplaceStage::SyncFolder) && ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

void PlanReplaceFailure(ReplaceStage stage) { g_plannedFailure = stage; }

bool ReplaceFileContents(const std::string& name, const void* data, std::size_t size)
{
    std::string target = ResolveWritePath(name);
    if (IsDirectory(target))
        return false;
    // A file that exists but may not be written stays as it is, as it would
    // when opened for writing in place.
    if (Exists(target) && ::access(target.c_str(), W_OK) != 0)
        return false;
    std::string temporary = target + ".partial";
    const int fd =
        Fails(ReplaceStage::Open) ? -1 : ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    // The new file takes the place of the old one with its permissions.
    struct stat info;
    if (::stat(target.c_str(), &info) == 0)
        ::fchmod(fd, info.st_mode & 07777);
    // The bytes must be on the disk before the new file takes the old one's
    // name: a crash after the rename would otherwise leave an empty or
    // partial file where a whole one was.
    bool written = WriteAll(fd, data, size);
    written = written && !Fails(ReplaceStage::SyncFile) && ::fsync(fd) == 0;
    const bool closeFails = Fails(ReplaceStage::Close);
    const bool closed = ::close(fd) == 0 && !closeFails;
    if (!written || !closed || Fails(ReplaceStage::Rename) ||
        std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return SyncFolderOf(target);
}

bool MatchesWildcard(const std::string& pattern, const std::string& name)
{
    if (GlobMatch(pattern.c_str(), name.c_str()))
        return true;
    // "name.*" also stands for "name" without an extension, as "*.*" stands
    // for every file.
    const std::size_t length = pattern.size();
    if (length >= 2 && pattern[length - 2] == '.' && pattern[length - 1] == '*')
        return GlobMatch(pattern.substr(0, length - 2).c_str(), name.c_str());
    return false;
}

bool FileSearch::First(const std::string& pattern, FindData& data)
{
    Close();
    SplitName split = Split(pattern);
    if (split.components.empty())
        return false;
    std::string wildcard = split.components.back();
    split.components.pop_back();
    std::string folder;
    if (ResolvePrefix(split, folder) != split.components.size() || !IsDirectory(folder))
        return false;
    for (const std::string& entry : ListFolder(folder)) {
        if (!MatchesWildcard(wildcard, entry))
            continue;
        FindData match;
        match.fileName = entry;
        struct stat info;
        if (::stat(Join(folder, entry).c_str(), &info) == 0) {
            match.isDirectory = S_ISDIR(info.st_mode);
            match.size = match.isDirectory ? 0 : static_cast<std::uint64_t>(info.st_size);
        }
        m_matches.push_back(match);
    }
    if (m_matches.empty())
        return false;
    m_open = true;
    return Next(data);
}

bool FileSearch::Next(FindData& data)
{
    if (!m_open || m_next >= m_matches.size())
        return false;
    data = m_matches[m_next++];
    return true;
}

void FileSearch::Close()
{
    m_matches.clear();
    m_next = 0;
    m_open = false;
}

} // namespace platform
