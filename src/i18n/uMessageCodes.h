#pragma once
// Every catalogue code the program uses, in one place. A code listed here
// must exist in all 20 interface languages (a test checks it), so a new code
// goes in here, in kUsedMessageCodes, and in every data/catalogue/*.tsv file.

#include <array>

namespace msg {

// Messages of the download, storage and device flows.
constexpr int NoIdentificationName = 124;   // stands in for surname and first names
constexpr int NoPortSelected = 139;
constexpr int PortOrNoAnswer = 140;         // result -1
constexpr int DataFileInvalid = 141;        // result -8
constexpr int DownloadCancelled = 143;      // result -110
constexpr int DataFileEmpty = 151;          // result -109
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

} // namespace msg
