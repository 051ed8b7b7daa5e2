// pellkit-cli activities FILE... [--csv]: the driver activity spans of card
// images and VU downloads, one per line, with start and end in ISO 8601 UTC.

#include "CliCommands.h"
#include "CliCommon.h"
#include "CliImage.h"

#include "uActivityView.h"
#include "uCard1BFile.h"
#include "uTachy1BDownload.h"
#include "uViewText.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <exception>

using namespace views;

namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

class TSpanWriter {
public:
    TSpanWriter(QTextStream& out, bool csv) : out_(out), csv_(csv)
    {
        if (csv_)
            out_ << "file,source,date,slot,start,end,minutes,activity,crew,card_inserted,manual_entry\n";
    }

    void Span(const QString& file, const char* source, std::uint32_t date, const TActivitySpan& s)
    {
        const QString start = Text(IsoDateTime(s.start));
        const QString end = Text(IsoDateTime(s.end));
        if (csv_) {
            out_ << CsvField(file) << ',' << source << ',' << Text(IsoDate(date)) << ',' << SlotName(s.slot) << ','
                 << start << ',' << end << ',' << s.Minutes() << ',' << ActivityName(s.activity) << ','
                 << (s.crew ? "crew" : "single") << ',' << (s.cardInserted ? "yes" : "no") << ','
                 << (s.manualEntry ? "yes" : "no") << '\n';
            return;
        }
        out_ << start << "  " << end << "  " << QString::number(s.Minutes()).rightJustified(4) << "  "
             << QString::fromLatin1(ActivityName(s.activity)).leftJustified(12) << "  "
             << QString::fromLatin1(SlotName(s.slot)).leftJustified(9) << "  " << (s.crew ? "crew  " : "single") << "  "
             << (s.cardInserted ? "card" : "no card") << (s.manualEntry ? "  entered by hand" : "") << '\n';
    }

private:
    QTextStream& out_;
    bool csv_;
};

// False when the file gave no activities or not all of them.
bool WriteFile(TSpanWriter& writer, const QString& path, QTextStream& err)
{
    auto input = ReadImageInput(QStringLiteral("activities"), path);
    if (!input)
        return false;
    TMemoryStream stream = TMemoryStream::Borrow(input->bytes);
    if (input->image.kind == TImageKind::DriverCard) {
        stream.SetPosition(input->image.start);
        T1BDriverCard card;
        try {
            card.LoadImage(stream);
        } catch (const std::exception& e) {
            err << "pellkit-cli activities: " << path << ": cannot read the card image: " << e.what() << '\n';
            return false;
        }
        for (const TCardActivityDay& day : CardActivityDays(card))
            for (const TActivitySpan& span : day.spans)
                writer.Span(path, "card", day.date, span);
        return true;
    }
    TVuDownload download;
    download.LoadFromStream(stream);
    for (const TVuActivityDay& day : VuActivityDays(download))
        for (const TSlotActivity& slot : day.perSlot)
            for (const TActivitySpan& span : slot.spans)
                writer.Span(path, "vu", day.date, span);
    if (const auto& stop = download.Stop()) {
        err << "pellkit-cli activities: " << path << ": " << QString::fromStdString(DescribeStop(*stop)) << '\n';
        return false;
    }
    return true;
}

} // namespace

int RunActivities(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral(
        "Prints the driver activity spans of driver card images and VU downloads, one per line: start and end "
        "(ISO 8601, UTC), minutes, activity (break/rest, availability, work, driving, or unknown on a card "
        "away from any VU), slot, single or crew, and whether a card was inserted. A span lasts until the next "
        "change, the day's last one until 24:00. Exit status 4 when a file is not generation-1 tachograph data "
        "or cannot be read whole."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Card images and VU downloads; - reads standard input."),
                                 QStringLiteral("FILE..."));
    const QCommandLineOption csvOption(
        QStringLiteral("csv"),
        QStringLiteral("Comma-separated values with a header line: file, source (card or vu), date, slot, start, "
                       "end, minutes, activity, crew, card_inserted, manual_entry"));
    parser.addOption(csvOption);

    QStringList paths;
    if (const auto done = ParseFilesCommand(parser, args, paths))
        return *done;
    QTextStream out(stdout);
    QTextStream err(stderr);
    const bool csv = parser.isSet(csvOption);
    TSpanWriter writer(out, csv);
    bool ok = true;
    for (const QString& path : paths) {
        if (!csv && paths.size() > 1)
            out << path << ":\n";
        out.flush();
        ok = WriteFile(writer, path, err) && ok;
        out.flush();
    }
    return ok ? kExitOk : kExitData;
}
