#pragma once
// The check a received data file passes before the Vexa may delete it: the
// container is walked (uContainerSplit.h has the grammar) and every card
// image and VU overview in it is read in full.

#include "uContainerSplit.h"
#include "uMemoryStream.h"

#include <QString>

#include <map>

// Where the validation pass writes its diagnostic lines, one per call. The
// download worker implements it with the debug output.
class IDebugLog {
public:
    virtual ~IDebugLog() = default;
    virtual void DebugLog(const QString& line) = 0;
};

// The diagnostic line of a part: "PRT n : length".
QString PartLine(const TContainerPart& part);
// Why a part that runs past the end of the data cannot be read.
QString PartPastEndText(const TContainerPart& part, std::size_t dataSize);

// The entries whose card image or VU overview cannot be read in full, by the
// offset of their F1h tag, with the reader's reason: what makes a data file
// fail the check, entry by entry. Grammar faults are not entries: the walks
// report those themselves.
std::map<std::size_t, QString> FindUnreadableEntries(std::span<const std::uint8_t> data);

// The worker's pass: walks the whole container, loading every card image with
// the full card reader and every VU overview with the overview reader.
// Returns 0 when all of it is sound, -1 otherwise.
int ValidateContainer(IDebugLog& log, TMemoryStream& stream);
