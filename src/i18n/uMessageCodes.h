#pragma once
// Every catalogue code the program uses, in one place. A code listed here
// must exist in all 20 interface languages (a test checks it), so a new code
// goes in here, in kUsedMessageCodes, and in every data/catalogue/*.tsv file.

#include <array>
#include <cstddef>

namespace msg {

// Messages of the download, storage and device flows.
constexpr int NoIdentificationName = 124;   // stands in for surname and first names
constexpr int NoPortSelected = 139;
constexpr int PortOrNoAnswer = 140;         // result -1
constexpr int DataFileInvalid = 141;        // result -8
constexpr int DownloadCancelled = 143;      // result -110
constexpr int ConnectionResult = 148;       // settings/clock status line, followed by a result code
constexpr int VexaAnswered = 149;           // followed by the handshake's two values "A, B"
constexpr int DataFileEmpty = 151;          // result -109
constexpr int SettingsWriteResult = 153;    // followed by the 71h result code
constexpr int EndSettingsResult = 154;      // followed by the 72h result code
constexpr int PartTagInvalid = 155;
constexpr int NoIdentificationNumber = 156; // stands in for the card number
constexpr int ArchiveWriteFailed = 157;
constexpr int NoF0Tag = 158;
constexpr int NoF1Tag = 159;
constexpr int StatusEntry = 160;            // storage pass status line, followed by the entry length
constexpr int LogEntry = 161;               // validation pass log line, followed by the entry length
constexpr int SettingsSent = 165;
constexpr int SettingsFailed = 166;
constexpr int DestinationUnusable = 747;

// Captions of the windows.
constexpr int DateWord = 118;               // "Date" of "Date & time"
constexpr int TimeWord = 119;               // "time" of "Date & time"
constexpr int UseVexaClock = 222;
constexpr int LabelSelectPort = 346;
constexpr int GroupComPort = 347;
constexpr int PortOther = 348;
constexpr int KeepDataFile = 349;
constexpr int Configuration = 350;
constexpr int Downloading = 351;
constexpr int Cancel = 353;
constexpr int SelectDefaultOptions = 354;
constexpr int LabelLanguage = 355;
constexpr int LabelMode = 356;
constexpr int LastDaysMode = 369;
constexpr int CompanyMode = 370;
constexpr int SmartCard = 378;
constexpr int Destination = 393;
constexpr int Overview = 460;
constexpr int Activities = 461;
constexpr int EventsFaults = 462;
constexpr int DetailedSpeed = 463;
constexpr int TechnicalData = 464;
constexpr int FileExtensions = 494;
constexpr int WorkshopMode = 507;
constexpr int Ok = 508;
constexpr int Tachograph = 697;
constexpr int VexaLanguageFirst = 524;      // 524 .. 546: the Vexa's display languages
constexpr int VexaLanguageLast = 546;

// The Vexa's display language list: entry i (what the Vexa receives) shows
// text kVexaLanguageCodes[i]. The last seven entries were added out of order.
constexpr std::array<int, 23> kVexaLanguageCodes = {
    524, // French
    525, // English
    526, // Spanish
    527, // German
    528, // Italian
    529, // Portuguese
    530, // Greek (English)
    531, // Dutch
    532, // Swedish
    533, // Danish
    534, // Finnish
    535, // Norwegian
    536, // Czech
    537, // Hungarian
    538, // Polish
    539, // Romanian
    544, // Slovene
    540, // Lithuanian
    545, // Bulgarian
    543, // Estonian
    541, // Slovak
    542, // Latvian
    546, // Russian
};

// Texts for the result codes that have no message of their own above, so that
// no failure is ever shown without an explanation.
constexpr int ResultBadFrame = 802;         // -2
constexpr int ResultBadChecksum = 803;      // -3
constexpr int ResultEndOfData = 810;        // -100
constexpr int ResultNoAnswer = 811;         // -101
constexpr int ResultRefused = 812;          // -102
constexpr int ResultRefused71 = 813;        // -103
constexpr int ResultRefused72 = 814;        // -104
constexpr int ResultRefused73 = 815;        // -105
constexpr int ResultOpenRefused80 = 816;    // -106
constexpr int ResultOpenRefused81 = 817;    // -107
constexpr int ResultBlockRefused = 818;     // -108
constexpr int ResultClockRefused75 = 821;   // -111
constexpr int ResultUnknown = 899;          // any other code: "Unexpected result code"

// The program's own texts beyond the original windows (CLI, spool); 900 and up.
constexpr int SpoolFailed = 950;            // the safety copy failed, the Vexa keeps its data; %1 the reason
constexpr int SpoolLeftover = 951;          // %1 the safety copy of a download not completely stored
constexpr int StoreWrote = 930;             // "wrote %1 (%2 bytes)": file name, size
constexpr int StoreSkippedIdentical = 931;  // "skipped %1 (identical file present)"
constexpr int StoreWroteOtherName = 932;    // "wrote %1 (name taken)": the numbered name
constexpr int EntryUnreadable = 933;        // an entry not stored; %1 the reader's reason

// What of a data file got no archive, and where its bytes stay. %1 the
// entry's number, %2 its offset in the data file.
constexpr int NotArchivedOverviewOnly = 934;
constexpr int NotArchivedNothingToStore = 935;
constexpr int NotArchivedUnderMinimum = 936;
constexpr int NotArchivedSeparateParts = 937;
constexpr int NotArchivedUnreadable = 938;  // %3 the kind of image (939..941), %4 the reader's reason
constexpr int KindVuDownload = 939;
constexpr int KindCardImage = 940;
constexpr int KindCardImageViaVu = 941;
constexpr int KeptInDownloads = 942;        // %1 the kept data file
constexpr int KeptInVexa = 943;
constexpr int KeptInSourceFile = 944;       // %1 the file
constexpr int DeleteNotConfirmed = 945;     // 83h went out, its answer did not confirm it
constexpr int KeepNotConfirmed = 946;       // 84h went out, its answer did not confirm it
constexpr int UnreadableKept = 947;         // %1 how many entries, %2 the kept data file
constexpr int DeleteAnywayQuestion = 948;   // %1 the kept data file
constexpr int DeleteAnywayButton = 949;
constexpr int KeepInVexaButton = 952;
constexpr int DeletedAnyway = 953;          // %1 the kept data file
constexpr int DeleteAnywayMismatch = 954;   // %1 the kept data file
constexpr int ResultDataFileTooLong = 955;  // -112
constexpr int ResultEmptyBlocks = 956;      // -113
constexpr int ClockSent = 957;
constexpr int ClockFailed = 958;
constexpr int ClockRefused74 = 959;         // -110 of a clock write

// The text of a worker or exchange result code (0 is success and has none).
constexpr int ResultMessageCode(int resultCode)
{
    switch (resultCode) {
    case -1: return PortOrNoAnswer;
    case -2: return ResultBadFrame;
    case -3: return ResultBadChecksum;
    case -8: return DataFileInvalid;
    case -100: return ResultEndOfData;
    case -101: return ResultNoAnswer;
    case -102: return ResultRefused;
    case -103: return ResultRefused71;
    case -104: return ResultRefused72;
    case -105: return ResultRefused73;
    case -106: return ResultOpenRefused80;
    case -107: return ResultOpenRefused81;
    case -108: return ResultBlockRefused;
    case -109: return DataFileEmpty;
    case -110: return DownloadCancelled;
    case -111: return ResultClockRefused75;
    case -112: return ResultDataFileTooLong;
    case -113: return ResultEmptyBlocks;
    default: return ResultUnknown;
    }
}

// Every code the program looks up. A new constant above goes in here too.
constexpr auto kUsedMessageCodes = std::to_array<int>({
    NoIdentificationName, NoPortSelected, PortOrNoAnswer, DataFileInvalid, DownloadCancelled, DataFileEmpty,
    PartTagInvalid, NoIdentificationNumber, ArchiveWriteFailed, NoF0Tag, NoF1Tag, StatusEntry, LogEntry,
    SettingsSent, SettingsFailed, DestinationUnusable,

    DateWord, TimeWord, UseVexaClock, LabelSelectPort, GroupComPort, PortOther, KeepDataFile, Configuration,
    Downloading, Cancel, SelectDefaultOptions, LabelLanguage, LabelMode, LastDaysMode, CompanyMode, SmartCard,
    Destination, Overview, Activities, EventsFaults, DetailedSpeed, TechnicalData, FileExtensions, WorkshopMode,
    Ok, Tachograph,

    524, 525, 526, 527, 528, 529, 530, 531, 532, 533, 534, 535, 536, 537, 538, 539,
    540, 541, 542, 543, 544, 545, 546,

    ResultBadFrame, ResultBadChecksum, ResultEndOfData, ResultNoAnswer, ResultRefused, ResultRefused71,
    ResultRefused72, ResultRefused73, ResultOpenRefused80, ResultOpenRefused81, ResultBlockRefused,
    ResultClockRefused75, ResultUnknown,

    ConnectionResult, VexaAnswered, SettingsWriteResult, EndSettingsResult, SpoolFailed, SpoolLeftover,

    StoreWrote, StoreSkippedIdentical, StoreWroteOtherName, EntryUnreadable,

    NotArchivedOverviewOnly, NotArchivedNothingToStore, NotArchivedUnderMinimum, NotArchivedSeparateParts,
    NotArchivedUnreadable, KindVuDownload, KindCardImage, KindCardImageViaVu, KeptInDownloads, KeptInVexa,
    KeptInSourceFile, DeleteNotConfirmed, KeepNotConfirmed, UnreadableKept, DeleteAnywayQuestion,
    DeleteAnywayButton, KeepInVexaButton, DeletedAnyway, DeleteAnywayMismatch, ResultDataFileTooLong,
    ResultEmptyBlocks, ClockSent, ClockFailed, ClockRefused74,
});

namespace detail {
constexpr bool Contains(int code)
{
    for (int c : kUsedMessageCodes)
        if (c == code)
            return true;
    return false;
}
constexpr bool AllDistinct()
{
    for (std::size_t i = 0; i < kUsedMessageCodes.size(); ++i)
        for (std::size_t j = i + 1; j < kUsedMessageCodes.size(); ++j)
            if (kUsedMessageCodes[i] == kUsedMessageCodes[j])
                return false;
    return true;
}
constexpr bool CoversVexaLanguages()
{
    for (int c = VexaLanguageFirst; c <= VexaLanguageLast; ++c)
        if (!Contains(c))
            return false;
    for (int c : kVexaLanguageCodes)
        if (c < VexaLanguageFirst || c > VexaLanguageLast)
            return false;
    return true;
}
constexpr bool CoversResults()
{
    for (int r = -120; r <= 0; ++r)
        if (!Contains(ResultMessageCode(r)))
            return false;
    return true;
}
} // namespace detail

static_assert(detail::AllDistinct(), "a message code is listed twice");
static_assert(detail::CoversVexaLanguages(), "the Vexa language list and its codes disagree");
static_assert(detail::CoversResults(), "a result code maps to a text that is not in kUsedMessageCodes");

} // namespace msg
