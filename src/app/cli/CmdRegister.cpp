// pellkit-cli register [DIR...] [--json]: every driver card and vehicle unit
// of the archives in the folders, with the last download and when the next
// one is due, the most urgent first; the files that are no such archive are
// listed apart.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliVerification.h"

#include "uMessageCodes.h"
#include "uRegister.h"
#include "uRegisterTexts.h"
#include "uTranslation.h"
#include "uViewText.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>
#include <QTimeZone>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>


namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
QString PathText(const std::filesystem::path& path) { return QString::fromStdU16String(path.u16string()); }

// ---- the table ------------------------------------------------------------------

// Blank for a row not yet due: the marks stand out.
QString DueMark(const reg::TRegisterRow& row) { return row.due == reg::TDueState::Ok ? QString() : reg::DueText(row.due); }

void PrintTable(QTextStream& out, const std::vector<QStringList>& table)
{
    std::vector<qsizetype> widths;
    for (const QStringList& line : table)
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (widths.size() <= static_cast<std::size_t>(i))
                widths.push_back(0);
            widths[static_cast<std::size_t>(i)] = std::max(widths[static_cast<std::size_t>(i)], line.at(i).size());
        }
    for (const QStringList& line : table) {
        QString text;
        for (qsizetype i = 0; i < line.size(); ++i)
            text += (i ? QStringLiteral("  ") : QString()) + line.at(i).leftJustified(widths[static_cast<std::size_t>(i)]);
        // The state column is blank for a row not yet due: trim only the end.
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
            --end;
        out << text.left(end) << '\n';
    }
}

void PrintRegister(QTextStream& out, const reg::TRegister& r, const QStringList& folders)
{
    const QString slash = QStringLiteral(" / ");
    if (r.rows.empty()) {
        out << MessageText(msg::RegisterEmpty).arg(folders.join(QStringLiteral(", "))) << '\n';
    } else {
        std::vector<QStringList> table;
        table.push_back({MessageText(msg::RegisterColumnState), MessageText(msg::RegisterColumnKind),
                         MessageText(msg::RegisterColumnCardNumber) + slash + MessageText(msg::RegisterColumnRegistration),
                         MessageText(msg::RegisterColumnHolder) + slash + MessageText(msg::RegisterColumnVin),
                         MessageText(msg::RegisterColumnNation), MessageText(msg::RegisterColumnCardExpiry),
                         MessageText(msg::RegisterColumnLastDownload), MessageText(msg::RegisterColumnNextDue),
                         MessageText(msg::RegisterColumnDaysLeft), MessageText(msg::RegisterColumnSignature),
                         MessageText(msg::RegisterColumnArchives)});
        for (const reg::TRegisterRow& row : r.rows) {
            const bool card = row.kind == reg::TEntityKind::DriverCard;
            const bool none = row.lastDownload == 0;
            table.push_back({DueMark(row), reg::KindText(row.kind),
                             Text(card ? row.cardNumber : row.registration), Text(card ? row.holder : row.vin),
                             Text(row.nation), Text(row.cardExpiry),
                             reg::DownloadDateText(row.lastDownload),
                             none ? QStringLiteral("-") : Text(views::IsoDate(row.nextDue)),
                             none ? QStringLiteral("-") : QString::number(row.daysLeft), reg::VerdictText(row.verdict),
                             QString::number(row.archives)});
        }
        PrintTable(out, table);
    }
    if (r.others.empty())
        return;
    out << '\n' << MessageText(msg::RegisterOthersTitle) << '\n';
    std::vector<QStringList> table{{MessageText(msg::RegisterColumnFile), MessageText(msg::RegisterColumnReason)}};
    for (const reg::TRegisterOther& other : r.others)
        table.push_back({PathText(other.path), reg::OtherText(other)});
    PrintTable(out, table);
}

// ---- the JSON document ------------------------------------------------------------

QJsonValue TimeJson(std::uint32_t time) { return time ? QJsonValue(Text(views::IsoDateTime(time))) : QJsonValue(); }
QJsonValue TextJson(const std::string& text) { return text.empty() ? QJsonValue() : QJsonValue(Text(text)); }

const char* DueName(reg::TDueState due)
{
    switch (due) {
    case reg::TDueState::Overdue: return "overdue";
    case reg::TDueState::DueSoon: return "due-soon";
    case reg::TDueState::Ok: break;
    }
    return "ok";
}

const char* OtherName(reg::TOtherKind kind)
{
    switch (kind) {
    case reg::TOtherKind::Generation2: return "generation-2";
    case reg::TOtherKind::Unreadable: return "unreadable";
    case reg::TOtherKind::NotTachograph: break;
    }
    return "not-tachograph";
}

QJsonObject RowJson(const reg::TRegisterRow& row)
{
    const bool card = row.kind == reg::TEntityKind::DriverCard;
    const std::string alpha = views::NationAlpha(row.nationCode);
    QJsonObject o{{"kind", card ? "driver-card" : "vehicle-unit"},
                  {"nation", QJsonObject{{"code", row.nationCode}, {"alpha", TextJson(alpha)}}},
                  {"lastDownload", TimeJson(row.lastDownload)},
                  {"nextDue", TimeJson(row.nextDue)},
                  {"daysLeft", row.lastDownload ? QJsonValue(row.daysLeft) : QJsonValue()},
                  {"due", DueName(row.due)},
                  {"verdict", views::VerdictName(row.verdict)},
                  {"archives", row.archives},
                  {"latest", PathText(row.latest)}};
    if (card) {
        o.insert("cardNumber", Text(row.cardNumber));
        o.insert("holder", Text(row.holder));
        o.insert("cardExpiry", TextJson(row.cardExpiry));
    } else {
        o.insert("registration", Text(row.registration));
        o.insert("vin", Text(row.vin));
    }
    return o;
}

QJsonObject RegisterJson(const reg::TRegister& r, const QStringList& folders, std::uint32_t today, int exitStatus)
{
    QJsonArray rows;
    for (const auto& row : r.rows)
        rows.append(RowJson(row));
    QJsonArray others;
    for (const auto& other : r.others)
        others.append(QJsonObject{{"path", PathText(other.path)},
                                  {"kind", OtherName(other.kind)},
                                  {"reason", TextJson(other.reason)}});
    QJsonArray unreadable;
    for (const auto& folder : r.unreadableFolders)
        unreadable.append(QJsonObject{{"folder", PathText(folder.folder)}, {"reason", Text(folder.reason)}});
    return QJsonObject{{"format", "pellkit-register"},
                                     {"version", 1},
                                     {"exitStatus", exitStatus},
                                     {"today", Text(views::IsoDate(today))},
                                     {"folders", QJsonArray::fromStringList(folders)},
                                     {"rows", rows},
                                     {"others", others},
                                     {"unreadableFolders", unreadable}};
}

// ---- progress ------------------------------------------------------------------

// "Reading archives: 120 of 10000" on a terminal, redrawn at most ten times a second.
class TRegisterProgress {
public:
    TRegisterProgress() : enabled_(StderrIsTerminal()) {}
    void Update(std::size_t done, std::size_t total)
    {
        if (!enabled_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (drawn_ && done < total && now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        drawn_ = true;
        QTextStream(stderr) << '\r' << MessageText(msg::RegisterReading).arg(done).arg(total) << Qt::flush;
    }
    void Finish()
    {
        if (drawn_)
            QTextStream(stderr) << '\n' << Qt::flush;
        drawn_ = false;
    }

private:
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point last_;
};

} // namespace

int RunRegister(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral(
        "Reads every archive in the folders (default: the saved destination), whatever its name: driver card "
        "images and VU downloads are told by their content. One row per driver card (card number, holder, "
        "nation, card expiry) and per vehicle unit (registration, nation, VIN), with its latest download, "
        "the next download due by law (28 days after a card's last download, 90 days after a VU's), the days "
        "left, the signature verdict of the latest archive and how many archives hold it. The most urgent come "
        "first; overdue rows and rows due within 7 days are marked. Files that are no tachograph data, "
        "generation-2 data or unreadable archives are listed apart. What is learnt of each file is kept in a "
        "cache in the per-user data folder, so that a second run reads only new and changed files. Exit "
        "status 5 when a folder cannot be read, 6 when interrupted (Ctrl-C)."));
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("folders of archives"), QStringLiteral("[DIR...]"));
    AddJsonOption(parser);
    parser.addOption({QStringLiteral("today"),
                      QStringLiteral("Count the days left from this date, YYYY-MM-DD (default: today, UTC)."),
                      QStringLiteral("DATE")});
    parser.addOption({QStringLiteral("no-cache"), QStringLiteral("Read every file; neither use nor update the cache.")});
    AddKeysOption(parser);

    if (const auto done = ParseArguments(parser, args))
        return *done;
    const QString command = args.first();

    QStringList folders = parser.positionalArguments();
    if (folders.isEmpty()) {
        const QString destination = VexaSettings()->value(QStringLiteral("DestDir")).toString();
        if (destination.isEmpty())
            return UsageError(command, QStringLiteral("no folder: give DIR, or choose a destination in the program"));
        folders << destination;
    }

    reg::TRegisterOptions options;
    if (parser.isSet(QStringLiteral("today"))) {
        const QDate date = QDate::fromString(parser.value(QStringLiteral("today")), Qt::ISODate);
        if (!date.isValid() || date.year() < 1970 || date.year() > 2105)
            return UsageError(command, QStringLiteral("--today takes a date YYYY-MM-DD"));
        options.today = static_cast<std::uint32_t>(QDateTime(date, QTime(0, 0), QTimeZone::utc()).toSecsSinceEpoch());
    } else {
        options.today = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    }
    if (!parser.isSet(QStringLiteral("no-cache")))
        options.cacheFile = reg::DefaultRegisterCache();
    const QString keys = parser.isSet(QStringLiteral("keys")) ? parser.value(QStringLiteral("keys"))
                                                              : QCoreApplication::applicationDirPath();
    options.trustedKeys = std::filesystem::path(keys.toStdU16String());

    InstallInterruptHandler();
    std::atomic<bool> cancel{false};
    options.cancel = &cancel;
    TRegisterProgress progress;
    options.progress = [&](std::size_t done, std::size_t total) {
        if (Interrupted())
            cancel = true;
        progress.Update(done, total);
    };

    std::vector<std::filesystem::path> paths;
    for (const QString& folder : folders)
        paths.emplace_back(folder.toStdU16String());
    const reg::TRegister result = reg::BuildRegister(paths, options);
    progress.Finish();
    if (result.cancelled) {
        QTextStream(stderr) << "pellkit-cli " << command << ": " << MessageText(msg::RegisterCancelled) << '\n';
        return kExitCancelled;
    }

    QTextStream err(stderr);
    for (const auto& folder : result.unreadableFolders)
        err << "pellkit-cli " << command << ": "
            << MessageText(msg::RegisterFolderUnreadable).arg(PathText(folder.folder), Text(folder.reason)) << '\n';

    const int status = result.unreadableFolders.empty() ? kExitOk : kExitStorage;
    if (JsonRequested(parser)) {
        PrintJson(RegisterJson(result, folders, options.today, status));
    } else {
        QTextStream out(stdout);
        PrintRegister(out, result, folders);
    }
    return status;
}
