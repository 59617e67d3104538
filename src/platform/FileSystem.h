#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The game names its files the Windows way ("Data\Levels\Level1.LVL"):
// backslashes between components and no regard for case. These functions
// map such names onto the disk. Every component is matched against the
// directory without regard for ASCII case; an exact match wins over a
// case-folded one. Relative names are taken from the data root; a name
// that starts with a backslash is rooted at the data root too, while one
// that starts with "/" is an absolute host path.
namespace platform {

// The folder relative names resolve against; "." (the working directory)
// until the host sets another.
void SetDataRoot(const std::string& root);
const std::string& GetDataRoot();

// Host path of an existing file or folder. Returns false when some
// component has no match on disk.
bool ResolveExistingPath(const std::string& name, std::string& hostPath);

// Host path to create or replace a file under: the existing file when
// there is one, otherwise the given name with its separators mapped (the
// folders on the way are matched without regard for case where they exist).
std::string ResolveWritePath(const std::string& name);

// While one lives, the folders that names are matched against without
// regard for case are listed once and the listing is kept: a load that
// reads hundreds of files from packs asks the disk about the same two or
// three folders for each of them. Only for stretches that create, rename
// or delete nothing in the folders they read: what changes in a folder
// after it was listed is not seen until the scope ends. Scopes nest; the
// outermost one owns the listings.
class FolderListingScope {
  public:
    FolderListingScope();
    ~FolderListingScope();
    FolderListingScope(const FolderListingScope&) = delete;
    FolderListingScope& operator=(const FolderListingScope&) = delete;

  private:
    bool m_owner = false;
};

// Opens a file with a C runtime mode. Reading modes open only a file that
// resolves; writing and appending modes go through ResolveWritePath.
// Returns null when the file cannot be opened.
std::FILE* OpenFile(const std::string& name, const char* mode);

// Closes a C runtime file when it goes out of scope.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A file that resolves, opened to be read at given offsets without a
// buffer of its own: a pack's entry is one read. Closed when it goes.
class ReadOnlyFile {
  public:
    // Opens the file; IsOpen() is false when it does not resolve, cannot
    // be opened or is a folder.
    explicit ReadOnlyFile(const std::string& name);
    // A file that is not open.
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;

    bool IsOpen() const { return m_fd >= 0; }
    // The size in bytes as it is now; false when it cannot be read.
    bool Measure(std::uint64_t& size) const;
    // Reads up to count bytes from the offset; returns how many arrived,
    // fewer at the end of the file or on a read error.
    std::size_t ReadAt(std::uint64_t offset, void* destination, std::size_t count) const;

  private:
    int m_fd = -1;
};

// The size of an open file in bytes; the file is left at its start.
// False when the file cannot be measured.
bool MeasureFile(std::FILE* file, std::uint64_t& size);

// Writes a whole file so that it is either fully replaced or left as it
// was, also across a crash: the bytes go to a temporary file beside it,
// which is flushed to the disk, then takes the file's place, and the
// folder is flushed too. Returns false when any step fails; up to the
// rename the old file is untouched, after it the file is the new one.
bool ReplaceFileContents(const std::string& name, const void* data, std::size_t size);

// For tests: the next ReplaceFileContents fails at the given stage, once.
enum class ReplaceStage { None, Open, Write, SyncFile, Close, Rename, SyncFolder };
void PlanReplaceFailure(ReplaceStage stage);

// What a directory search reports about one match.
struct FindData {
    std::string fileName; // name and extension, no folder
    bool isDirectory = false;
    std::uint64_t size = 0;
};

// A directory search with "*" (any run of characters) and "?" (any one
// character) in the last component of the pattern, matched without regard
// for case. Matches come in a fixed order (by case-folded name), without
// "." and "..". A trailing ".*" also matches names without an extension.
class FileSearch {
  public:
    // Starts a search; false when nothing matches (the search is closed).
    bool First(const std::string& pattern, FindData& data);
    // The next match; false when there is none left.
    bool Next(FindData& data);
    void Close();
    bool IsOpen() const { return m_open; }

  private:
    std::vector<FindData> m_matches;
    std::size_t m_next = 0;
    bool m_open = false;
};

// True when name matches pattern under the search rules above.
bool MatchesWildcard(const std::string& pattern, const std::string& name);

} // namespace platform
