#include "CatalogueSource.h"
#include "uTranslation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

catalogue::SourceFile Parse(const std::string& content)
{
    std::istringstream in(content);
    return catalogue::ParseSource(in, "03-english.tsv", 3);
}

std::string ParseError(const std::string& content)
{
    try {
        Parse(content);
    } catch (const catalogue::ESourceError& e) {
        return e.what();
    }
    return "no error";
}

TEST(CatalogueSource, LinesEscapesAndComments)
{
    const auto source = Parse("\xEF\xBB\xBF# comment\n"
                              "\n"
                              "   \t \r\n"
                              "140\tNo answer\r\n"
                              "157\tTwo\\nlines\\tand \\\\ one\n"
                              "158\t  blanks kept  \n"
                              "159\ta\ttab\n"
                              "160\t\xCE\xB1\xCE\xB2");
    ASSERT_EQ(source.entries.size(), 5u);
    EXPECT_EQ(source.language, 3);
    EXPECT_EQ(source.entries[0].code, 140);
    EXPECT_EQ(source.entries[0].text, "No answer");
    EXPECT_EQ(source.entries[0].line, 4);
    EXPECT_EQ(source.entries[1].text, "Two\nlines\tand \\ one");
    EXPECT_EQ(source.entries[2].text, "  blanks kept  ");
    EXPECT_EQ(source.entries[3].text, "a\ttab");
    EXPECT_EQ(source.entries[4].text, "\xCE\xB1\xCE\xB2");
}

TEST(CatalogueSource, MalformedLinesNameFileAndLine)
{
    struct Case {
        std::string content;
        std::string error;
    };
    const Case cases[] = {
        {"140 No tab\n", "03-english.tsv:1: no tab"},
        {"# c\nx1\tText\n", "03-english.tsv:2: the code \"x1\" is not a decimal number"},
        {"\tText\n", "03-english.tsv:1: the code \"\" is not"},
        {"-5\tText\n", "03-english.tsv:1: the code \"-5\" is not"},
        {"0\tText\n", "03-english.tsv:1: the code must be positive"},
        {"99999999999\tText\n", "03-english.tsv:1: the code \"99999999999\" is not"},
        {"140\t\n", "03-english.tsv:1: empty text"},
        {"140\tEnds in \\\n", "03-english.tsv:1: backslash at the end"},
        {"140\tBad \\q\n", "03-english.tsv:1: unknown escape \\q"},
        {"140\tLatin-1 \xE9t\xE9\n", "03-english.tsv:1: the text is not valid UTF-8"},
        {"140\tOverlong \xC0\xAF\n", "03-english.tsv:1: the text is not valid UTF-8"},
        {"140\t" + std::string(5120, 'a') + "\n", "03-english.tsv:1: the text is longer than 5119"},
        {"140\tOne\n\n141\tTwo\n140\tAgain\n", "03-english.tsv:4: code 140 already given on line 1"},
    };
    for (const Case& c : cases) {
        const std::string error = ParseError(c.content);
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
    EXPECT_EQ(ParseError("140\t" + std::string(5119, 'a')), "no error");
}

TEST(CatalogueSource, FileNames)
{
    EXPECT_EQ(catalogue::LanguageFromFileName("/src/data/catalogue/02-french.tsv"), 2);
    EXPECT_EQ(catalogue::LanguageFromFileName("11-greek.tsv"), 11);
    EXPECT_EQ(catalogue::LanguageFromFileName("21-slovene.tsv"), 21);
    for (const char* bad : {"01-latin.tsv", "22-romanian.tsv", "3-english.tsv", "03-englsh.tsv", "03-English.tsv",
                            "03_english.tsv", "03-english.txt", "english.tsv", "ab-english.tsv"}) {
        try {
            catalogue::LanguageFromFileName(bad);
            ADD_FAILURE() << bad << " accepted";
        } catch (const catalogue::ESourceError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(std::string(bad) + ":1: bad file name", 0), 0u) << e.what();
        }
    }
}

class CatalogueBuild : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { SetCataloguePath(QString()); }
    std::string File(const std::string& name, const std::string& content)
    {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    int Run(const std::vector<std::string>& args)
    {
        errors.str({});
        return catalogue::Run(args, errors);
    }
    QTemporaryDir dir;
    std::ostringstream errors;
};

TEST_F(CatalogueBuild, WrittenCatalogueIsReadByTheProgram)
{
    const std::string db = dir.filePath(QStringLiteral("out/languages.db")).toStdString();
    ASSERT_EQ(Run({db, File("05-german.tsv", "140\tKeine Antwort\n"),
                   File("03-english.tsv", "140\tNo answer\n157\tLine\\none\n")}),
              0)
        << errors.str();
    SetCataloguePath(QString::fromStdString(db));
    EXPECT_EQ(MessageTextIn(5, 140), QStringLiteral("Keine Antwort"));
    EXPECT_EQ(MessageTextIn(5, 157), QStringLiteral("Line\none"));
    EXPECT_EQ(MessageTextIn(2, 140), QStringLiteral("No answer"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(db + ".tmp")));

    // Rebuilding replaces the catalogue as a whole.
    SetCataloguePath(QString());
    ASSERT_EQ(Run({db, File("03-english.tsv", "140\tNew\n")}), 0) << errors.str();
    SetCataloguePath(QString::fromStdString(db));
    EXPECT_EQ(MessageTextIn(5, 140), QStringLiteral("New"));
    EXPECT_EQ(MessageTextIn(3, 157), QString());
}

TEST_F(CatalogueBuild, FailureKeepsThePreviousCatalogue)
{
    const std::string db = dir.filePath(QStringLiteral("languages.db")).toStdString();
    ASSERT_EQ(Run({db, File("03-english.tsv", "140\tOld\n")}), 0) << errors.str();

    const std::string bad = File("02-french.tsv", "140\tUn\n140\tDeux\n");
    EXPECT_EQ(Run({db, File("03-english.tsv", "140\tNew\n"), bad}), 1);
    EXPECT_EQ(errors.str(), bad + ":2: code 140 already given on line 1\n");

    const std::string other = dir.filePath(QStringLiteral("sub/03-english.tsv")).toStdString();
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    std::ofstream(other) << "140\tDup\n";
    EXPECT_EQ(Run({db, File("03-english.tsv", "140\tNew\n"), other}), 1);
    EXPECT_NE(errors.str().find("language already given by"), std::string::npos) << errors.str();

    EXPECT_EQ(Run({db, dir.filePath(QStringLiteral("04-dutch.tsv")).toStdString()}), 1); // missing
    EXPECT_NE(errors.str().find("04-dutch.tsv:1: cannot open"), std::string::npos) << errors.str();

    EXPECT_FALSE(QFile::exists(QString::fromStdString(db + ".tmp")));
    SetCataloguePath(QString::fromStdString(db));
    EXPECT_EQ(MessageTextIn(3, 140), QStringLiteral("Old"));
}

TEST_F(CatalogueBuild, UnwritableOutputIsReported)
{
    const std::string blocker = File("file", "x");
    EXPECT_EQ(Run({blocker + "/languages.db"}), 1);
    EXPECT_NE(errors.str().find("cannot write the catalogue"), std::string::npos) << errors.str();
    EXPECT_EQ(Run({}), 2);
}

} // namespace
