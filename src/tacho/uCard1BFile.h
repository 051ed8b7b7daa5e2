#pragma once
// A driver card download: the walk over its elementary files and what the
// rest of the program reads from it.
//
// The image is a run of blocks, each a 5-byte header (FID, kind, body
// length; big-endian) followed by its body. Kind 0 carries the file's data,
// kind 1 the 128-byte signature of that data. Errors are ETachoError with
// the stream position (not the image offset) where reading went wrong.

#include "u1bUtils.h"
#include "uCard1BElementaryFiles.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One block header as the walk met it.
struct TCardBlock {
    std::uint16_t fid = 0;
    std::uint8_t kind = 0;
    std::uint16_t length = 0;     // as announced by the header
    std::size_t headerOffset = 0; // from the image start
    std::size_t consumed = 0;     // bytes the walk took after the header
    int slot = -1;                // -1 for an FID the card does not know
};

class T1BDriverCard : public TvtInfoProvide {
public:
    static constexpr int kSlotCount = 16;
    enum Slots : int {
        kICC,
        kIC,
        kApplicationIdentification,
        kCardCertificate,
        kCACertificate,
        kIdentification,
        kCardDownload,
        kDrivingLicenseInfo,
        kEventsData,
        kFaultsData,
        kDriverActivityData,
        kVehiclesUsed,
        kPlaces,
        kCurrentUsage,
        kControlActivityData,
        kSpecificConditions,
    };

    T1BDriverCard();
    ~T1BDriverCard() override;

    // Reads every known file from the stream position to its end.
    void LoadImage(TMemoryStream& stream);
    // The same walk, loading only ICC, IC, application identification, card
    // download and identification; other known files are stepped over by
    // their announced length.
    void LoadIdentification(TMemoryStream& stream);

    int ItemCount() const override { return kSlotCount; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    // 0..15 in slot order; nullptr for an empty slot or an index out of range.
    TEFFile* Slot(int index) const;
    static int SlotOfFid(std::uint16_t fid);
    static std::uint16_t FidOfSlot(int slot);
    static const char* SlotName(int slot);

    const TEF_Application_Identification* ApplicationIdentification() const;
    const TEF_Identification* Identification() const;
    const TEF_Card_Download* CardDownload() const;
    const TEF_Driver_Activity_Data* DriverActivityData() const;
    // The counts that size the record lists; nullptr before EF_Application_Identification.
    const TDriverCardApplicationIdentification* ApplicationIdentificationRecord() const;

    bool HasIdentification() const;
    std::uint8_t IssuingNation() const;
    std::string CardNumberText() const;
    std::string SurnameText() const;
    std::string FirstNamesText() const;
    // Seconds since 1970-01-01 UTC; present only when EF_Card_Download was met.
    std::optional<std::uint32_t> LastDownloadTime() const;

    // The image from the start position to the end of the stream.
    const std::vector<std::uint8_t>& RawImage() const { return rawImage_; }
    const std::vector<TCardBlock>& Blocks() const { return blocks_; }
    // The data block body a signature covers: RawImage[BodyOffset, BodyOffset +
    // BodyLength). Empty when the file had no data block or the announced
    // body runs past the image.
    std::span<const std::uint8_t> DataBody(const TEFFile& file) const;

    // Length of the daily record written last when the activity file is saved.
    std::int32_t LastRecordLength = 0;

private:
    void Walk(TMemoryStream& stream, bool identificationOnly);
    std::unique_ptr<TEFFile> CreateFile(int slot) const;
    template <class File> const File* SlotAs(int slot) const
    {
        return static_cast<const File*>(slots_[static_cast<std::size_t>(slot)].get());
    }

    std::array<std::unique_ptr<TEFFile>, kSlotCount> slots_;
    std::vector<std::uint8_t> rawImage_;
    std::vector<TCardBlock> blocks_;
};
