// pellkit-cli configure --port PORT [--vexa-language N] [--mode ...] [--activities on|off] ...:
// the settings flow of the configuration dialog. Every value not given is the
// dialog's saved one; all of them are saved, as the dialog's OK saves them,
// before the Vexa is reached.

#include "CliCommands.h"
#include "CliCommon.h"

#include "uDeviceFlows.h"
#include "uLocalization.h"
#include "uMessageCodes.h"
#include "uQtSerialPort.h"
#include "uTranslation.h"

#include <QJsonObject>
#include <QTextStream>

namespace {

struct TSwitch {
    const char* option;
    const char* what;
    bool TVexaSettings::*field;
    bool TSavedVexaSettings::*saved;
    bool byDefault;
};

const TSwitch kSwitches[] = {
    {"activities", "activities", &TVexaSettings::activities, &TSavedVexaSettings::activities, true},
    {"events", "events and faults", &TVexaSettings::events, &TSavedVexaSettings::events, true},
    {"speed", "detailed speed", &TVexaSettings::speed, &TSavedVexaSettings::speed, false},
    {"technical", "technical data", &TVexaSettings::technicalData, &TSavedVexaSettings::technicalData, false},
};

const char* Origin(bool given, bool saved) { return given ? "given" : saved ? "saved" : "default"; }

QString ModeText(int mode)
{
    if (mode == 0)
        return QStringLiteral("since the previous download");
    if (mode == 1)
        return QStringLiteral("total");
    return QStringLiteral("last %1 days").arg(mode);
}

QString VexaLanguageText(int entry)
{
    if (entry < 0 || entry >= kVexaLanguageCount)
        return QStringLiteral("none");
    return QStringLiteral("%1 (%2)").arg(entry).arg(MessageTextIn(lang::English, msg::kVexaLanguageCodes[entry]));
}

// What goes to the Vexa, and where each value came from: a value the user
// never chose must not go unnoticed.
void PrintSettings(const TVexaSettings& s, const TSavedVexaSettings& saved, const QCommandLineParser& parser)
{
    QTextStream err(stderr);
    const auto line = [&](const QString& what, const QString& value, const char* origin) {
        err << "  " << what.leftJustified(18) << value.leftJustified(30) << origin << '\n';
    };
    err << "Sending to the Vexa:\n";
    line(QStringLiteral("Vexa language"), VexaLanguageText(s.vexaLanguage),
         Origin(parser.isSet(QStringLiteral("vexa-language")), saved.vexaLanguage));
    line(QStringLiteral("mode"), ModeText(s.mode), Origin(parser.isSet(QStringLiteral("mode")), saved.mode));
    for (const TSwitch& sw : kSwitches)
        line(QString::fromLatin1(sw.what), s.*sw.field ? QStringLiteral("on") : QStringLiteral("off"),
             Origin(parser.isSet(QString::fromLatin1(sw.option)), saved.*sw.saved));
}

QJsonObject SettingsJson(const TVexaSettings& s)
{
    QJsonObject json;
    const bool language = s.vexaLanguage >= 0 && s.vexaLanguage < kVexaLanguageCount;
    json.insert("vexaLanguage", language ? QJsonValue(s.vexaLanguage) : QJsonValue());
    json.insert("vexaLanguageName",
                language ? QJsonValue(MessageTextIn(lang::English, msg::kVexaLanguageCodes[s.vexaLanguage]))
                         : QJsonValue());
    json.insert("mode", s.mode == 0 ? QStringLiteral("since-previous")
                        : s.mode == 1 ? QStringLiteral("total")
                                      : QStringLiteral("last-days"));
    json.insert("lastDays", s.mode >= 2 ? QJsonValue(s.mode) : QJsonValue());
    json.insert("activities", s.activities);
    json.insert("events", s.events);
    json.insert("speed", s.speed);
    json.insert("technicalData", s.technicalData);
    return json;
}

std::optional<bool> OnOff(const QString& value)
{
    if (value == QLatin1String("on"))
        return true;
    if (value == QLatin1String("off"))
        return false;
    return std::nullopt;
}

} // namespace

int RunConfigure(const QStringList& args)
{
    QCommandLineParser parser;
    SetUpParser(parser, QStringLiteral("Sends the download settings to the Vexa: which VU data it fetches, the "
                                       "language of its display and its download mode.\nValues not given are "
                                       "the saved ones; all of them are saved before the Vexa is reached."));
    AddPortOption(parser);
    QString entries;
    for (int entry = 0; entry < kVexaLanguageCount; ++entry)
        entries += QStringLiteral("%1%2 %3")
                       .arg(entry == 0 ? QString() : QStringLiteral(", "))
                       .arg(entry)
                       .arg(MessageTextIn(lang::English, msg::kVexaLanguageCodes[entry]));
    parser.addOption({QStringLiteral("vexa-language"),
                      QStringLiteral("Language of the Vexa's display, by its entry: %1; or 'none' (default: "
                                     "saved, else 0).")
                          .arg(entries),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("mode"),
                      QStringLiteral("since-previous, total, or the number of last days (2 to 255) (default: "
                                     "saved, else the last 2 days)."),
                      QStringLiteral("MODE")});
    for (const TSwitch& s : kSwitches)
        parser.addOption({QString::fromLatin1(s.option),
                          QStringLiteral("Fetch %1: on or off (default: saved, else %2).")
                              .arg(QString::fromLatin1(s.what), s.byDefault ? QStringLiteral("on") : QStringLiteral("off")),
                          QStringLiteral("on|off")});
    parser.addOption({QStringLiteral("verbose"), QStringLiteral("Show each exchange's result.")});
    AddJsonOption(parser);
    QString portName;
    if (const auto done = ParsePortCommand(parser, args, portName))
        return *done;
    const QString command = args.first();

    // As the dialog shows the saved values.
    TSavedVexaSettings saved;
    TVexaSettings settings = LoadVexaSettings(nullptr, &saved);
    settings.mode = DialogMode(settings.mode);
    settings.vexaLanguage = DialogVexaLanguage(settings.vexaLanguage);

    if (parser.isSet(QStringLiteral("vexa-language"))) {
        const QString v = parser.value(QStringLiteral("vexa-language"));
        bool ok = false;
        const int n = v.toInt(&ok);
        if (v == QLatin1String("none"))
            settings.vexaLanguage = -1;
        else if (ok && n >= 0 && n < kVexaLanguageCount)
            settings.vexaLanguage = n;
        else
            return UsageError(command, QStringLiteral("--vexa-language wants 0 to 22 or 'none'"));
    }
    if (parser.isSet(QStringLiteral("mode"))) {
        const QString v = parser.value(QStringLiteral("mode"));
        bool ok = false;
        const int days = v.toInt(&ok);
        if (v == QLatin1String("since-previous"))
            settings.mode = 0;
        else if (v == QLatin1String("total"))
            settings.mode = 1;
        else if (ok && days >= kMinLastDays && days <= kMaxLastDays)
            settings.mode = days;
        else
            return UsageError(command, QStringLiteral("--mode wants since-previous, total or 2 to 255 days"));
    }
    for (const TSwitch& s : kSwitches) {
        const QString option = QString::fromLatin1(s.option);
        if (!parser.isSet(option))
            continue;
        const auto on = OnOff(parser.value(option));
        if (!on)
            return UsageError(command, QStringLiteral("--%1 wants on or off").arg(option));
        settings.*s.field = *on;
    }

    PrintSettings(settings, saved, parser);
    const bool kept = SaveVexaSettings(settings);
    if (!kept)
        QTextStream(stderr) << "pellkit-cli " << command << ": the settings could not be saved\n";

    TQtSerialPort port;
    const int result = SendSettings(port, portName, settings, VerboseLines(parser));
    const int status = ReportSettingsResult(result, false);
    if (JsonRequested(parser))
        PrintJson(QJsonObject{{"format", "pellkit-configure"},
                              {"version", 1},
                              {"port", portName},
                              {"settings", SettingsJson(settings)},
                              {"saved", kept},
                              {"sent", result == 0},
                              {"exitStatus", status},
                              {"error", result == 0 ? QJsonValue() : QJsonValue(ResultJson(result))}});
    return status;
}
