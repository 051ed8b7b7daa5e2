#include "CatalogueSource.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace catalogue {

namespace {

constexpr std::array<const char*, 20> kLanguageNames = {
    "french",  "english", "dutch",    "german",    "swedish",  "spanish",  "italian",
    "polish",  "danish",  "greek",    "portuguese", "finnish", "czech",    "norwegian",
    "hungarian", "estonian", "latvian", "russian", "lithuanian", "slovene",
};
constexpr int kFirstLanguage = 2;

// The lookup holds a text of up to 5119 UTF-16 units.
constexpr std::size_t kMaxTextUnits = 5119;

[[noreturn]] void Fail(const std::string& path, int line, const std::string& reason)
{
    throw ESourceError(path + ":" + std::to_string(line) + ": " + reason);
}

// UTF-16 length of valid UTF-8, or npos when the bytes are not valid UTF-8.
std::size_t Utf16Length(const std::string& text)
{
    std::size_t units = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07u;
        } else {
            return std::string::npos;
        }
        if (n - i - 1 < static_cast<std::size_t>(extra))
            return std::string::npos;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0u) != 0x80u)
                return std::string::npos;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return std::string::npos;
        units += cp >= 0x10000 ? 2 : 1;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return units;
}

std::string Unescape(const std::string& raw, const std::string& path, int line)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            out += raw[i];
            continue;
        }
        if (i + 1 == raw.size())
            Fail(path, line, "backslash at the end of the line (write \\\\ for one backslash)");
        switch (raw[++i]) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        default: Fail(path, line, std::string("unknown escape \\") + raw[i] + " (only \\n, \\t and \\\\)");
        }
    }
    return out;
}

bool IsBlank(const std::string& line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalizer {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

void Exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string what = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw std::runtime_error(what);
    }
}

void WriteDatabase(const std::string& file, const std::vector<SourceFile>& sources)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));

    Exec(db.get(), "CREATE TABLE translation (LanguageCode INTEGER, MessageCode INTEGER, Message TEXT);");
    Exec(db.get(), "BEGIN;");
    sqlite3_stmt* rawStmt = nullptr;
    if (sqlite3_prepare_v2(db.get(), "INSERT INTO translation VALUES (?1, ?2, ?3);", -1, &rawStmt, nullptr) !=
        SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db.get()));
    std::unique_ptr<sqlite3_stmt, StmtFinalizer> insert(rawStmt);
    for (const SourceFile& source : sources) {
        for (const Entry& entry : source.entries) {
            sqlite3_bind_int(insert.get(), 1, source.language);
            sqlite3_bind_int(insert.get(), 2, entry.code);
            sqlite3_bind_text(insert.get(), 3, entry.text.data(), static_cast<int>(entry.text.size()),
                              SQLITE_STATIC);
            if (sqlite3_step(insert.get()) != SQLITE_DONE)
                throw std::runtime_error(sqlite3_errmsg(db.get()));
            sqlite3_reset(insert.get());
        }
    }
    insert.reset();
    Exec(db.get(), "CREATE INDEX translation_language_code ON translation (LanguageCode, MessageCode);");
    Exec(db.get(), "COMMIT;");
    if (sqlite3_close(db.release()) != SQLITE_OK)
        throw std::runtime_error("cannot close " + file);
}

} // namespace

int LanguageFromFileName(const std::string& path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const auto bad = [&]() {
        Fail(path, 1, "bad file name: expected NN-name.tsv, one of 02-french.tsv ... 21-slovene.tsv");
    };
    if (name.size() < 8 || name[2] != '-' || name[0] < '0' || name[0] > '9' || name[1] < '0' || name[1] > '9')
        bad();
    const int code = (name[0] - '0') * 10 + (name[1] - '0');
    if (code < kFirstLanguage || code >= kFirstLanguage + static_cast<int>(kLanguageNames.size()))
        bad();
    const std::string expected =
        name.substr(0, 3) + kLanguageNames[static_cast<std::size_t>(code - kFirstLanguage)] + ".tsv";
    if (name != expected)
        Fail(path, 1, "bad file name: language " + name.substr(0, 2) + " is " + expected);
    return code;
}

SourceFile ParseSource(std::istream& in, const std::string& path, int language)
{
    SourceFile source;
    source.path = path;
    source.language = language;
    std::map<int, int> seenOnLine;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsBlank(line) || line[0] == '#')
            continue;

        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            Fail(path, number, "no tab between code and text");
        const std::string codeText = line.substr(0, tab);
        if (codeText.empty() || codeText.size() > 9 ||
            !std::all_of(codeText.begin(), codeText.end(), [](char c) { return c >= '0' && c <= '9'; }))
            Fail(path, number, "the code \"" + codeText + "\" is not a decimal number");
        const int code = std::stoi(codeText);
        if (code <= 0)
            Fail(path, number, "the code must be positive");

        const std::string raw = line.substr(tab + 1);
        if (Utf16Length(raw) == std::string::npos)
            Fail(path, number, "the text is not valid UTF-8");
        Entry entry{code, Unescape(raw, path, number), number};
        if (entry.text.empty())
            Fail(path, number, "empty text (leave the line out to fall back to English)");
        if (Utf16Length(entry.text) > kMaxTextUnits)
            Fail(path, number, "the text is longer than " + std::to_string(kMaxTextUnits) + " characters");

        const auto [it, fresh] = seenOnLine.emplace(code, number);
        if (!fresh)
            Fail(path, number, "code " + codeText + " already given on line " + std::to_string(it->second));
        source.entries.push_back(std::move(entry));
    }
    if (in.bad())
        Fail(path, number + 1, "read error");
    return source;
}

SourceFile ReadSourceFile(const std::string& path)
{
    const int language = LanguageFromFileName(path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail(path, 1, "cannot open the file");
    return ParseSource(in, path, language);
}

void WriteCatalogue(const std::string& output, const std::vector<SourceFile>& sources)
{
    namespace fs = std::filesystem;
    const fs::path target(output);
    const fs::path temporary = fs::path(output + ".tmp");
    if (target.has_parent_path())
        fs::create_directories(target.parent_path());
    fs::remove(temporary);
    try {
        WriteDatabase(temporary.string(), sources);
        fs::rename(temporary, target);
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}

int Run(const std::vector<std::string>& args, std::ostream& err)
{
    if (args.empty()) {
        err << "usage: make-catalogue OUTPUT.db [NN-name.tsv ...]\n";
        return 2;
    }
    try {
        std::vector<SourceFile> sources;
        std::map<int, std::string> fileOfLanguage;
        for (std::size_t i = 1; i < args.size(); ++i) {
            SourceFile source = ReadSourceFile(args[i]);
            const auto [it, fresh] = fileOfLanguage.emplace(source.language, args[i]);
            if (!fresh)
                Fail(args[i], 1, "language already given by " + it->second);
            sources.push_back(std::move(source));
        }
        std::sort(sources.begin(), sources.end(),
                  [](const SourceFile& a, const SourceFile& b) { return a.language < b.language; });
        WriteCatalogue(args[0], sources);
    } catch (const ESourceError& e) {
        err << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        err << args[0] << ": cannot write the catalogue: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace catalogue
