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

// The main window's account of a download, its port choice and its offers
// (1000 and up).
constexpr int StatusWaiting = 1000;          // an exchange waits for the Vexa's answer
constexpr int StatusBlock = 1001;            // %1 the block received, %2 how many the file has
constexpr int StatusBlockOfUnknown = 1002;   // %1 the block received; the file's length is not known
constexpr int StatusChecking = 1003;
constexpr int StatusStoring = 1004;
// The one-line summary, its sentences joined by a blank.
constexpr int SummaryArchives = 1005;        // %1 written, %2 already there, %3 failed
constexpr int SummaryLeftInDownloads = 1006; // %1 entries without an archive, and where they are
constexpr int SummaryLeftInVexa = 1029;
constexpr int SummaryLeftInFile = 1030;
constexpr int SummaryLeftInSpool = 1031;
constexpr int SummaryVexaDeleted = 1007;
constexpr int SummaryVexaKeeps = 1008;
constexpr int SummaryDeleteNotConfirmed = 1009;
constexpr int SummaryKeepNotConfirmed = 1010;
constexpr int SummarySpoolKept = 1011;       // the safety copy waits in the spool
constexpr int SummaryMovedToDownloads = 1012; // a safety copy stored completely moved on
// The list of a download's archives.
constexpr int ArchivesButton = 1013;
constexpr int ArchivesTitle = 1014;
constexpr int ColumnName = 1015;
constexpr int ColumnSize = 1016;
constexpr int ColumnOutcome = 1017;
constexpr int OutcomeWritten = 1018;
constexpr int OutcomeAlreadyThere = 1019;
constexpr int OutcomeOtherName = 1020;       // %1 the name that was taken
constexpr int OutcomeFailed = 1021;
constexpr int OpenFolder = 1022;
// The port choice.
constexpr int PortDevice = 1023;             // the entry for a serial device by its path
constexpr int PortDevicePlaceholder = 1024;
constexpr int PortAccessDenied = 1025;       // %1 the device, %2 the user's login name
// A safety copy not completely stored, offered for storing.
constexpr int StoreLeftoverQuestion = 1026;  // %1 the destination
constexpr int StoreNowButton = 1027;
constexpr int LaterButton = 1028;
constexpr int FileUnreadable = 1032;         // %1 the file (its reason follows on a line of its own)
constexpr int DataFileKeptHere = 1033;       // %1 the data file in the downloads folder, all of it archived

// Qt's own texts that a user meets (the folder chooser, the standard buttons,
// the text boxes' menu), for the interface languages Qt has no translation
// of; the standard OK and Cancel are Ok and Cancel above.
constexpr int QtFindDirectory = 1040;
constexpr int QtLookIn = 1041;
constexpr int QtBack = 1042;
constexpr int QtForward = 1043;
constexpr int QtParentDirectory = 1044;
constexpr int QtCreateNewFolder = 1045;
constexpr int QtListView = 1046;
constexpr int QtDetailView = 1047;
constexpr int QtDirectory = 1048;             // the label of the folder's name field
constexpr int QtChoose = 1049;                // "&Choose": & marks the access key
constexpr int QtFilesOfType = 1050;
constexpr int QtDirectories = 1051;           // the filter that lists folders only
constexpr int QtRename = 1052;                // "&Rename"
constexpr int QtDeleteFile = 1053;            // "&Delete"
constexpr int QtShowHiddenFiles = 1054;       // "Show &hidden files"
constexpr int QtNewFolderMenu = 1055;         // "&New Folder"
constexpr int QtNewFolderName = 1056;         // the name of a folder just made
constexpr int QtConfirmDelete = 1057;         // %1 the file or folder
constexpr int QtComputer = 1058;
constexpr int QtColumnName = 1059;
constexpr int QtColumnSize = 1060;
constexpr int QtColumnType = 1061;
constexpr int QtColumnDateModified = 1062;
constexpr int QtFolder = 1063;
constexpr int QtDrive = 1064;
constexpr int QtYes = 1065;                   // "&Yes"
constexpr int QtNo = 1066;                    // "&No"
constexpr int QtUndo = 1067;                  // "&Undo"
constexpr int QtRedo = 1068;                  // "&Redo"
constexpr int QtCut = 1069;                   // "Cu&t"
constexpr int QtCopy = 1070;                  // "&Copy"
constexpr int QtPaste = 1071;                 // "&Paste"
constexpr int QtDeleteText = 1072;
constexpr int QtSelectAll = 1073;

// The register of driver cards and vehicle units (1200 and up): the window's
// table and pellkit-cli register share these captions.
constexpr int RegisterTitle = 1200;
constexpr int RegisterColumnKind = 1201;
constexpr int RegisterColumnCardNumber = 1202;
constexpr int RegisterColumnHolder = 1203;
constexpr int RegisterColumnNation = 1204;
constexpr int RegisterColumnCardExpiry = 1205;
constexpr int RegisterColumnRegistration = 1206;
constexpr int RegisterColumnVin = 1207;
constexpr int RegisterColumnLastDownload = 1208;
constexpr int RegisterColumnNextDue = 1209;
constexpr int RegisterColumnDaysLeft = 1210;
constexpr int RegisterColumnSignature = 1211;
constexpr int RegisterColumnArchives = 1212;
constexpr int RegisterColumnState = 1213;
constexpr int RegisterKindDriverCard = 1214;
constexpr int RegisterKindVehicleUnit = 1215;
constexpr int RegisterDueOk = 1216;
constexpr int RegisterDueSoon = 1217;           // within 7 days
constexpr int RegisterOverdue = 1218;
constexpr int RegisterVerdictValid = 1219;
constexpr int RegisterVerdictInvalid = 1220;
constexpr int RegisterVerdictNotCheckable = 1221;
constexpr int RegisterOthersTitle = 1222;       // the files listed apart
constexpr int RegisterColumnFile = 1223;
constexpr int RegisterColumnReason = 1224;
constexpr int RegisterNotTachograph = 1225;
constexpr int RegisterGeneration2 = 1226;
constexpr int RegisterUnreadable = 1227;        // the reader's reason (English) follows
constexpr int RegisterNoDownload = 1228;        // a card that records no download
constexpr int RegisterReading = 1229;           // %1 files read, %2 files in all
constexpr int RegisterEmpty = 1230;             // %1 the folders
constexpr int RegisterFolderUnreadable = 1231;  // %1 the folder, %2 the system's reason
constexpr int RegisterCancelled = 1232;
// The viewer of an archive (1300 and up); its captions shared with the
// register's columns first.
constexpr int Holder = RegisterColumnHolder;
constexpr int CardNumber = RegisterColumnCardNumber;
constexpr int Nation = RegisterColumnNation;
constexpr int CardExpiry = RegisterColumnCardExpiry;
constexpr int Registration = RegisterColumnRegistration;
constexpr int Vin = RegisterColumnVin;
constexpr int Signature = RegisterColumnSignature;
constexpr int VerdictValid = RegisterVerdictValid;
constexpr int VerdictInvalid = RegisterVerdictInvalid;
constexpr int VerdictNotCheckable = RegisterVerdictNotCheckable;
constexpr int ColumnKind = RegisterColumnKind;
constexpr int ViewerTitle = 1300;            // %1 the file's name
constexpr int OpenArchiveButton = 1301;
constexpr int RegisterButton = 1302;
constexpr int ViewerNotTachograph = 1303;    // %1 the file
constexpr int ViewerVuGeneration2 = 1304;    // %1 the file
constexpr int ViewerCardGeneration2 = 1305;  // %1 the file
constexpr int ViewerCannotRead = 1306;       // %1 the file, %2 the system's reason
constexpr int ViewerPartlyRead = 1307;       // %1 the reader's reason
constexpr int ViewerTooLarge = 1308;         // %1 the file
constexpr int ViewerOpenTitle = 1309;        // the file chooser's title
constexpr int DownloadablePeriod = 1316;
constexpr int TabActivities = 1321;
constexpr int TabVehicles = 1322;
constexpr int TabPlaces = 1323;
constexpr int TabEventsFaults = 1324;
constexpr int TabControls = 1325;
constexpr int TabCardInsertions = 1326;
constexpr int TabTechnical = 1327;
constexpr int TabSignatures = 1328;
constexpr int TabRecords = 1329;
constexpr int ActivityBreakRest = 1330;
constexpr int ActivityAvailability = 1331;
constexpr int ActivityWork = 1332;
constexpr int ActivityDriving = 1333;
constexpr int ActivityUnknown = 1334;
constexpr int SlotDriver = 1335;
constexpr int SlotCoDriver = 1336;
constexpr int NoActivities = 1337;
constexpr int PreviousMonth = 1338;
constexpr int NextMonth = 1339;
constexpr int ColumnBegin = 1340;
constexpr int ColumnEnd = 1341;
constexpr int ColumnOdometerBegin = 1342;
constexpr int ColumnOdometerEnd = 1343;
constexpr int ColumnVehicle = 1344;
constexpr int ColumnTime = 1345;
constexpr int ColumnType = 1346;
constexpr int ColumnCountry = 1347;
constexpr int ColumnRegion = 1348;
constexpr int ColumnOdometer = 1349;
constexpr int WorkPeriodBegin = 1350;
constexpr int WorkPeriodEnd = 1351;
constexpr int KindEvent = 1352;
constexpr int KindFault = 1353;
constexpr int ColumnCard = 1354;
constexpr int ColumnControl = 1355;
constexpr int ColumnDownloadPeriod = 1356;
constexpr int ColumnSlot = 1357;
constexpr int ColumnInserted = 1358;
constexpr int ColumnWithdrawn = 1359;
constexpr int ColumnField = 1360;
constexpr int ColumnValue = 1361;
constexpr int ControlCardDownload = 1363;
constexpr int ControlVuDownload = 1364;
constexpr int ControlPrintout = 1365;
constexpr int ControlDisplay = 1366;
constexpr int Manufacturer = 1367;
constexpr int PartNumber = 1368;
constexpr int SerialNumber = 1369;
constexpr int SoftwareVersion = 1370;
constexpr int ApprovalNumber = 1371;
constexpr int SensorSerialNumber = 1372;
constexpr int Calibration = 1373;
constexpr int NextCalibration = 1374;
constexpr int IssuingAuthority = 1375;
constexpr int ValidFrom = 1376;
constexpr int BirthDate = 1377;
constexpr int DrivingLicence = 1378;
constexpr int LastCardDownload = 1379;
constexpr int ColumnPart = 1380;
constexpr int ColumnOffset = 1381;
constexpr int ColumnVerdict = 1382;
constexpr int CertificateMemberState = 1383;
constexpr int CertificateVu = 1384;
constexpr int CertificateCard = 1385;
constexpr int ReasonNoCertificate = 1386;
constexpr int ReasonNoSignature = 1387;
constexpr int ReasonNoData = 1388;
constexpr int ReasonCutShort = 1389;
constexpr int ReasonUnreadable = 1390;
constexpr int ReasonGeneration2 = 1391;
constexpr int CertificateUnknownAuthority = 1392;
constexpr int CertificateMissing = 1393;
constexpr int CertificateMalformed = 1394;
constexpr int ProblemForeignLayout = 1395;
constexpr int ProblemNothingSigned = 1396;
constexpr int ColumnRecord = 1397;

// The register window beyond its table (1400 and up).
constexpr int RegisterRefresh = 1400;
constexpr int RegisterCounts = 1401;         // %1 driver cards, %2 vehicle units

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

    StatusWaiting, StatusBlock, StatusBlockOfUnknown, StatusChecking, StatusStoring, SummaryArchives,
    SummaryLeftInDownloads, SummaryLeftInVexa, SummaryLeftInFile, SummaryLeftInSpool, SummaryVexaDeleted,
    SummaryVexaKeeps, SummaryDeleteNotConfirmed, SummaryKeepNotConfirmed, SummarySpoolKept,
    SummaryMovedToDownloads, ArchivesButton, ArchivesTitle, ColumnName, ColumnSize, ColumnOutcome, OutcomeWritten,
    OutcomeAlreadyThere, OutcomeOtherName, OutcomeFailed, OpenFolder, PortDevice, PortDevicePlaceholder,
    PortAccessDenied, StoreLeftoverQuestion, StoreNowButton, LaterButton, FileUnreadable,
    DataFileKeptHere,

    QtFindDirectory, QtLookIn, QtBack, QtForward, QtParentDirectory, QtCreateNewFolder, QtListView, QtDetailView,
    QtDirectory, QtChoose, QtFilesOfType, QtDirectories, QtRename, QtDeleteFile, QtShowHiddenFiles, QtNewFolderMenu,
    QtNewFolderName, QtConfirmDelete, QtComputer, QtColumnName, QtColumnSize, QtColumnType, QtColumnDateModified,
    QtFolder, QtDrive, QtYes, QtNo, QtUndo, QtRedo, QtCut, QtCopy, QtPaste, QtDeleteText, QtSelectAll,

    RegisterTitle, RegisterColumnKind, RegisterColumnCardNumber, RegisterColumnHolder, RegisterColumnNation,
    RegisterColumnCardExpiry, RegisterColumnRegistration, RegisterColumnVin, RegisterColumnLastDownload,
    RegisterColumnNextDue, RegisterColumnDaysLeft, RegisterColumnSignature, RegisterColumnArchives,
    RegisterColumnState, RegisterKindDriverCard, RegisterKindVehicleUnit, RegisterDueOk, RegisterDueSoon,
    RegisterOverdue, RegisterVerdictValid, RegisterVerdictInvalid, RegisterVerdictNotCheckable,
    RegisterOthersTitle, RegisterColumnFile, RegisterColumnReason, RegisterNotTachograph, RegisterGeneration2,
    RegisterUnreadable, RegisterNoDownload, RegisterReading, RegisterEmpty, RegisterFolderUnreadable,
    RegisterCancelled,
    ViewerTitle, OpenArchiveButton, RegisterButton, ViewerNotTachograph, ViewerVuGeneration2, ViewerCardGeneration2,
    ViewerCannotRead, ViewerPartlyRead, ViewerTooLarge, ViewerOpenTitle, DownloadablePeriod, TabActivities,
    TabVehicles, TabPlaces, TabEventsFaults, TabControls, TabCardInsertions, TabTechnical, TabSignatures,
    TabRecords, ActivityBreakRest, ActivityAvailability, ActivityWork, ActivityDriving, ActivityUnknown, SlotDriver,
    SlotCoDriver, NoActivities, PreviousMonth, NextMonth, ColumnBegin, ColumnEnd, ColumnOdometerBegin,
    ColumnOdometerEnd, ColumnVehicle, ColumnTime, ColumnType, ColumnCountry, ColumnRegion, ColumnOdometer,
    WorkPeriodBegin, WorkPeriodEnd, KindEvent, KindFault, ColumnCard, ColumnControl, ColumnDownloadPeriod,
    ColumnSlot, ColumnInserted, ColumnWithdrawn, ColumnField, ColumnValue, ControlCardDownload, ControlVuDownload,
    ControlPrintout, ControlDisplay, Manufacturer, PartNumber, SerialNumber, SoftwareVersion, ApprovalNumber,
    SensorSerialNumber, Calibration, NextCalibration, IssuingAuthority, ValidFrom, BirthDate, DrivingLicence,
    LastCardDownload, ColumnPart, ColumnOffset, ColumnVerdict, CertificateMemberState, CertificateVu,
    CertificateCard, ReasonNoCertificate, ReasonNoSignature, ReasonNoData, ReasonCutShort, ReasonUnreadable,
    ReasonGeneration2, CertificateUnknownAuthority, CertificateMissing, CertificateMalformed, ProblemForeignLayout,
    ProblemNothingSigned, ColumnRecord, RegisterRefresh, RegisterCounts,
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
