#pragma once
// The catalogue sources (one NN-name.tsv per interface language, lines
// CODE<TAB>TEXT) and the languages.db written from them. The format is
// described for translators in data/catalogue/README.md.

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace catalogue {

// "file:line: reason", ready to print.
class ESourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Entry {
    int code = 0;
    std::string text; // UTF-8, escapes resolved
    int line = 0;
};

struct SourceFile {
    std::string path;
    int language = 0;
    std::vector<Entry> entries;
};

// The language code named by a source file's name ("03-english.tsv" -> 3).
int LanguageFromFileName(const std::string& path);
// Reads the lines of one source; path only names it in errors.
SourceFile ParseSource(std::istream& in, const std::string& path, int language);
SourceFile ReadSourceFile(const std::string& path);
// Writes the catalogue through a temporary file renamed into place, so that an
// interrupted build leaves either the old catalogue or the new one.
void WriteCatalogue(const std::string& output, const std::vector<SourceFile>& sources);

// make-catalogue OUTPUT.db [SOURCE.tsv...]; returns the exit status.
int Run(const std::vector<std::string>& args, std::ostream& err);

} // namespace catalogue
