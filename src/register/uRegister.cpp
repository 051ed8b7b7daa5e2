#include "uRegister.h"

#include "uRegisterCache.h"
#include "uRegisterFile.h"

#include <QStandardPaths>

#include <algorithm>
#include <climits>
#include <exception>
#include <map>
#include <system_error>
#include <tuple>
#include <unordered_set>

namespace reg {
namespace {

namespace fs = std::filesystem;

struct TFoundFile {
    fs::path path;
    std::string key; // the cache's key: the path as UTF-8
    std::int64_t size = 0;
    std::int64_t mtime = 0;
    std::size_t folder = 0;
};

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// The folder as the cache knows it: absolute, without "." and "..".
fs::path FolderKey(const fs::path& folder)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(folder, ec);
    if (ec)
        absolute = folder;
    absolute = absolute.lexically_normal();
    // "dir/" and "dir" are one folder.
    if (!absolute.has_filename() && absolute.has_parent_path() && absolute != absolute.root_path())
        absolute = absolute.parent_path();
    return absolute;
}

// The regular files of the folder, not those of its subfolders: the archive
// writer keeps every archive in the destination itself. Dot files are left
// out (the writer's temporaries start with a dot).
bool ListFolder(const fs::path& folder, std::size_t index, std::vector<TFoundFile>& files, std::string& error)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const fs::path& path = it->path();
        const std::string name = Utf8(path.filename());
        if (name.empty() || name.front() == '.')
            continue;
        std::error_code fileError;
        if (!it->is_regular_file(fileError) || fileError)
            continue;
        const std::uintmax_t size = it->file_size(fileError);
        if (fileError)
            continue;
        const auto mtime = it->last_write_time(fileError);
        if (fileError)
            continue;
        files.push_back({path, Utf8(path), static_cast<std::int64_t>(size),
                         static_cast<std::int64_t>(mtime.time_since_epoch().count()), index});
    }
    if (ec) {
        error = ec.message();
        return false;
    }
    return true;
}

std::string TrustText(const std::vector<TTrustedKey>& keys)
{
    std::string text;
    for (const TTrustedKey& key : keys)
        text += key.ReferenceText + ':' + key.ModulusText + ':' + key.ExponentText + ';';
    return text;
}

std::string IdentityKey(const TFileFacts& f)
{
    if (f.kind == TFileKind::DriverCard)
        return "card\n" + std::to_string(f.nationCode) + '\n' + f.cardNumber;
    // The VIN stays with the vehicle when its registration changes.
    if (!f.vin.empty())
        return "vu\n" + f.vin;
    return "vu\n" + std::to_string(f.nationCode) + '\n' + f.registration;
}

// Whether a is the later download of the two (a valid archive wins a tie).
bool Later(const TFileFacts& a, const fs::path& aPath, const TFileFacts& b, const fs::path& bPath)
{
    const bool aValid = a.verdict == views::TVerdict::Valid;
    const bool bValid = b.verdict == views::TVerdict::Valid;
    return std::tie(a.lastDownload, aValid, aPath) > std::tie(b.lastDownload, bValid, bPath);
}

TRegisterRow MakeRow(const TFileFacts& f, const fs::path& path)
{
    TRegisterRow row;
    row.kind = f.kind == TFileKind::DriverCard ? TEntityKind::DriverCard : TEntityKind::VehicleUnit;
    row.cardNumber = f.cardNumber;
    row.holder = f.holder;
    row.nation = f.nation;
    row.nationCode = f.nationCode;
    row.cardExpiry = f.cardExpiry;
    row.registration = f.registration;
    row.vin = f.vin;
    row.lastDownload = f.lastDownload;
    row.verdict = f.verdict;
    row.latest = path;
    return row;
}

TRegisterOther MakeOther(const TFileFacts& f, const fs::path& path)
{
    TOtherKind kind = TOtherKind::NotTachograph;
    if (f.kind == TFileKind::Generation2)
        kind = TOtherKind::Generation2;
    else if (f.kind == TFileKind::Unreadable)
        kind = TOtherKind::Unreadable;
    return {path, kind, f.reason};
}

// A reader fault must not take the register down with it: the file is named instead.
TFileFacts ReadGuarded(const fs::path& path, const std::vector<TTrustedKey>& keys)
{
    try {
        return ReadRegisterFile(path, keys);
    } catch (const std::exception& e) {
        TFileFacts facts;
        facts.kind = TFileKind::Unreadable;
        facts.reason = std::string("the file cannot be read: ") + e.what();
        return facts;
    }
}

} // namespace

int DaysBetween(std::uint32_t today, std::uint32_t due)
{
    return static_cast<int>(static_cast<std::int64_t>(due / kSecondsPerDay) -
                            static_cast<std::int64_t>(today / kSecondsPerDay));
}

void SetDue(TRegisterRow& row, std::uint32_t today)
{
    if (row.lastDownload == 0) {
        // No download on record: nothing shows the duty was met.
        row.nextDue = 0;
        row.daysLeft = 0;
        row.due = TDueState::Overdue;
        return;
    }
    const int days = row.kind == TEntityKind::DriverCard ? kCardDownloadDays : kVuDownloadDays;
    const std::uint64_t next = std::uint64_t{row.lastDownload} + std::uint64_t{kSecondsPerDay} * days;
    row.nextDue = static_cast<std::uint32_t>(std::min<std::uint64_t>(next, UINT32_MAX));
    row.daysLeft = DaysBetween(today, row.nextDue);
    row.due = row.daysLeft < 0 ? TDueState::Overdue
              : row.daysLeft <= kDueSoonDays ? TDueState::DueSoon
                                             : TDueState::Ok;
}

TRegister BuildRegister(const std::vector<fs::path>& folders, const TRegisterOptions& options)
{
    TRegister result;
    const std::vector<TTrustedKey> keys = RegisterTrustedKeys(options.trustedKeys);
    TRegisterCache cache(options.cacheFile, TrustText(keys));

    // Every file first, so that progress knows the total.
    std::vector<TFoundFile> files;
    std::vector<std::string> folderKeys;
    std::vector<std::unordered_map<std::string, TCachedFile>> known;
    for (const fs::path& folder : folders) {
        const fs::path key = FolderKey(folder);
        const std::string keyText = Utf8(key);
        if (std::find(folderKeys.begin(), folderKeys.end(), keyText) != folderKeys.end())
            continue; // the same folder twice
        std::string error;
        if (!ListFolder(key, folderKeys.size(), files, error)) {
            result.unreadableFolders.push_back({folder, error});
            continue;
        }
        folderKeys.push_back(keyText);
        known.push_back(cache.Folder(keyText));
    }
    std::sort(files.begin(), files.end(), [](const TFoundFile& a, const TFoundFile& b) { return a.path < b.path; });

    std::vector<TCacheEntry> learnt;
    std::map<std::string, std::pair<TRegisterRow, TFileFacts>> rows;
    const std::size_t total = files.size();
    std::size_t reported = 0;
    if (options.progress)
        options.progress(0, total);
    std::size_t done = 0;
    for (const TFoundFile& file : files) {
        if (options.cancel && options.cancel->load()) {
            result.cancelled = true;
            break;
        }
        auto& folderKnown = known[file.folder];
        const auto cached = folderKnown.find(file.key);
        TFileFacts facts;
        if (cached != folderKnown.end() && cached->second.size == file.size && cached->second.mtime == file.mtime) {
            facts = cached->second.facts;
            folderKnown.erase(cached);
            ++result.filesCached;
        } else {
            if (cached != folderKnown.end())
                folderKnown.erase(cached); // replaced below
            facts = ReadGuarded(file.path, keys);
            ++result.filesRead;
            if (facts.lasting)
                learnt.push_back({folderKeys[file.folder], file.key, {file.size, file.mtime, facts}});
            if (options.progress)
                options.progress(reported = done + 1, total);
        }
        ++done;

        if (facts.kind != TFileKind::DriverCard && facts.kind != TFileKind::VehicleUnit) {
            result.others.push_back(MakeOther(facts, file.path));
            continue;
        }
        auto [it, inserted] = rows.try_emplace(IdentityKey(facts), MakeRow(facts, file.path), facts);
        auto& [row, best] = it->second;
        if (!inserted) {
            const int archives = row.archives;
            if (Later(facts, file.path, best, row.latest)) {
                row = MakeRow(facts, file.path);
                best = facts;
            }
            row.archives = archives;
        }
        ++row.archives;
    }
    // The files after the last one read came from the cache.
    if (options.progress && !result.cancelled && reported < total)
        options.progress(total, total);

    // What is left of the cache's files in these folders is gone from them;
    // after a cancel, only what the listing no longer holds.
    std::unordered_set<std::string> unread;
    for (std::size_t i = done; i < files.size(); ++i)
        unread.insert(files[i].key);
    std::vector<std::string> gone;
    for (const auto& folderKnown : known)
        for (const auto& [path, file] : folderKnown)
            if (!unread.contains(path))
                gone.push_back(path);
    cache.Update(learnt, gone);

    for (auto& [key, entry] : rows) {
        SetDue(entry.first, options.today);
        result.rows.push_back(std::move(entry.first));
    }
    std::stable_sort(result.rows.begin(), result.rows.end(), [](const TRegisterRow& a, const TRegisterRow& b) {
        const bool aNone = a.lastDownload == 0;
        const bool bNone = b.lastDownload == 0;
        if (aNone != bNone)
            return aNone;
        return a.daysLeft < b.daysLeft;
    });
    return result;
}

fs::path DefaultRegisterCache()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        return {};
    return fs::path(folder.toStdU16String()) / "register.db";
}

} // namespace reg
