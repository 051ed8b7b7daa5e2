#include "uQtLanguage.h"

#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uTranslation.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QTranslator>

#include <exception>
#include <memory>

namespace {

// Qt's source texts, by the context Qt asks in, and the catalogue's texts for them.
struct TQtText {
    const char* context;
    const char* source;
    int code;
};

constexpr TQtText kQtTexts[] = {
    {"QPlatformTheme", "OK", msg::Ok},
    {"QPlatformTheme", "Cancel", msg::Cancel},
    {"QPlatformTheme", "&Yes", msg::QtYes},
    {"QPlatformTheme", "&No", msg::QtNo},
    {"QFileDialog", "Find Directory", msg::QtFindDirectory},
    {"QFileDialog", "Look in:", msg::QtLookIn},
    {"QFileDialog", "Back", msg::QtBack},
    {"QFileDialog", "Forward", msg::QtForward},
    {"QFileDialog", "Parent Directory", msg::QtParentDirectory},
    {"QFileDialog", "Create New Folder", msg::QtCreateNewFolder},
    {"QFileDialog", "List View", msg::QtListView},
    {"QFileDialog", "Detail View", msg::QtDetailView},
    {"QFileDialog", "Directory:", msg::QtDirectory},
    {"QFileDialog", "&Choose", msg::QtChoose},
    {"QFileDialog", "Files of type:", msg::QtFilesOfType},
    {"QFileDialog", "Directories", msg::QtDirectories},
    {"QFileDialog", "&Rename", msg::QtRename},
    {"QFileDialog", "&Delete", msg::QtDeleteFile},
    {"QFileDialog", "Show &hidden files", msg::QtShowHiddenFiles},
    {"QFileDialog", "&New Folder", msg::QtNewFolderMenu},
    {"QFileDialog", "New Folder", msg::QtNewFolderName},
    {"QFileDialog", "Are you sure you want to delete '%1'?", msg::QtConfirmDelete},
    {"QFileSystemModel", "Computer", msg::QtComputer},
    {"QFileSystemModel", "Name", msg::QtColumnName},
    {"QFileSystemModel", "Size", msg::QtColumnSize},
    {"QFileSystemModel", "Type", msg::QtColumnType},
    {"QFileSystemModel", "Date Modified", msg::QtColumnDateModified},
    {"QAbstractFileIconProvider", "Folder", msg::QtFolder},
    {"QAbstractFileIconProvider", "Drive", msg::QtDrive},
    {"QLineEdit", "&Undo", msg::QtUndo},
    {"QLineEdit", "&Redo", msg::QtRedo},
    {"QLineEdit", "Cu&t", msg::QtCut},
    {"QLineEdit", "&Copy", msg::QtCopy},
    {"QLineEdit", "&Paste", msg::QtPaste},
    {"QLineEdit", "Delete", msg::QtDeleteText},
    {"QLineEdit", "Select All", msg::QtSelectAll},
};

// Answers Qt's questions from the catalogue in the current interface
// language. Installed first, it is asked only after Qt's own translation.
class TCatalogueTranslator : public QTranslator {
public:
    TCatalogueTranslator()
    {
        for (const TQtText& t : kQtTexts)
            codes_.insert(Key(t.context, t.source), t.code);
    }

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (!context || !sourceText || !lang::FindLanguage(CurrentLanguage()) || CurrentLanguage() == lang::English)
            return {};
        const auto code = codes_.constFind(Key(context, sourceText));
        if (code == codes_.constEnd())
            return {};
        // Qt asks from inside its own code: a catalogue that cannot be read
        // leaves Qt's English instead of an error passing through it.
        try {
            return MessageText(*code);
        } catch (const std::exception&) {
            return {};
        }
    }

private:
    static QByteArray Key(const char* context, const char* source)
    {
        return QByteArray(context) + '\x04' + QByteArray(source);
    }

    QHash<QByteArray, int> codes_;
};

// Qt's translation of language, or of its nearest kin where Qt has none of
// its own (Brazilian for European Portuguese, Nynorsk for Bokmål).
bool LoadQtTranslation(QTranslator& translator, const QLocale& locale)
{
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), directory))
        return true;
    const QString kin = locale.language() == QLocale::Portuguese        ? QStringLiteral("pt_BR")
                        : locale.language() == QLocale::NorwegianBokmal ? QStringLiteral("nn")
                                                                        : QString();
    return !kin.isEmpty() && translator.load(QStringLiteral("qtbase_") + kin, directory);
}

} // namespace

QLocale LanguageLocale(int code)
{
    const lang::TLanguage* language = lang::FindLanguage(code);
    return language ? QLocale(QString::fromLatin1(language->locale)) : QLocale::c();
}

QString NativeLanguageName(int code)
{
    const QLocale locale = LanguageLocale(code);
    const QString name = locale.nativeLanguageName();
    return name.isEmpty() ? name : locale.toUpper(name.left(1)) + name.mid(1);
}

void ApplyQtLanguage(int code)
{
    static TCatalogueTranslator catalogue;
    static std::unique_ptr<QTranslator> qt;
    static bool installed = false;
    if (!installed)
        installed = QCoreApplication::installTranslator(&catalogue);

    if (qt) {
        QCoreApplication::removeTranslator(qt.get());
        qt.reset();
    }
    const QLocale locale = LanguageLocale(code);
    QLocale::setDefault(lang::FindLanguage(code) ? locale : QLocale(QLocale::English, QLocale::UnitedKingdom));
    if (!lang::FindLanguage(code) || code == lang::English)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (LoadQtTranslation(*translator, locale) && QCoreApplication::installTranslator(translator.get()))
        qt = std::move(translator);
}
