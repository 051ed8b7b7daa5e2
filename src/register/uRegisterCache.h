#pragma once
// What the register learnt of each file, kept in a small SQLite database
// keyed by path, size and modification time. The cache only saves time:
// a database that cannot be opened, is corrupt or cannot be written is
// rebuilt or ignored, never an error of the register.

#include "uRegisterFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;

namespace reg {

struct TCachedFile {
    std::int64_t size = 0;
    std::int64_t mtime = 0; // the file clock's count, as the file system gives it
    TFileFacts facts;
};

struct TCacheEntry {
    std::string folder; // as Folder() is asked for it
    std::string path;
    TCachedFile file;
};

class TRegisterCache {
public:
    // trust names the trusted keys the verdicts were worked out with: a
    // cache made with other keys is emptied.
    TRegisterCache(const std::filesystem::path& file, const std::string& trust);
    ~TRegisterCache();
    TRegisterCache(const TRegisterCache&) = delete;
    TRegisterCache& operator=(const TRegisterCache&) = delete;

    bool Usable() const { return db_ != nullptr; }
    // What is known of the files of one folder, by path.
    std::unordered_map<std::string, TCachedFile> Folder(const std::string& folder);
    // Keeps in one transaction what was learnt and forgets the files (paths)
    // that are gone. False when nothing could be written.
    bool Update(const std::vector<TCacheEntry>& learnt, const std::vector<std::string>& gone);

private:
    enum class TOpen : std::uint8_t { Ok, Corrupt, Unavailable };
    TOpen Open(const std::filesystem::path& file, const std::string& trust);
    void Close();

    sqlite3* db_ = nullptr;
};

} // namespace reg
