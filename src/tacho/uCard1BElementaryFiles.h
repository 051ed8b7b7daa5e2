#pragma once
// The elementary files of a driver card download, one class per file. Each
// owns its records and loads them from the file's body.

#include "u1bUtils.h"
#include "uCard1BActivityRecords.h"
#include "uCard1BCertificates.h"
#include "uCard1BControlRecords.h"
#include "uCard1BEventRecords.h"
#include "uCard1BIdentRecords.h"
#include "uCard1BVehicleRecords.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <memory>
#include <type_traits>

class T1BDriverCard;

class TEFFile : public TvtInfoProvide {
public:
    static constexpr std::size_t kSignatureSize = 128;

    // Lists "Signature" as the last item once a signature block was read.
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;
    // Reads the file's body from the stream position into the records.
    virtual void LoadData(TMemoryStream& stream, T1BDriverCard& card) = 0;
    // Writes the records back in the layout LoadData read.
    virtual void SaveData(TMemoryStream& stream, T1BDriverCard& card) const = 0;

    // Takes 128 bytes whatever the block header announced.
    void ReadSignature(TMemoryStream& stream);

    std::uint16_t Fid() const { return fid_; }
    const char* Name() const { return name_; }

    std::uint8_t Signature[kSignatureSize] = {};
    // Announced length of the data block body.
    std::uint16_t BodyLength = 0;
    // Start of the data block body, an index into the card's RawImage().
    std::int32_t BodyOffset = 0;
    bool HasSignature = false;
    // A data block (kind 0) was read; a file met only through its signature has none.
    bool HasData = false;

protected:
    // slot: the file's place on the card (T1BDriverCard::Slots), whose one
    // table gives its FID and name.
    explicit TEFFile(int slot);

private:
    std::uint16_t fid_;
    const char* name_;
};

// A file that holds one record. Records whose lists are sized from the
// application identification get the card at construction and on load.
template <class Record> class TEFRecordFile : public TEFFile {
public:
    int ItemCount() const override { return 1 + (listsSignature_ && HasSignature ? 1 : 0); }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override
    {
        if (index == 0) {
            caption = Widen8(caption_);
            child = record_.get();
        } else {
            TEFFile::GetItem(index, caption, child);
        }
    }

    void LoadData(TMemoryStream& stream, T1BDriverCard& card) override
    {
        if constexpr (requires { record_->LoadFromStream(stream, card); })
            record_->LoadFromStream(stream, card);
        else
            record_->LoadFromStream(stream);
    }

    void SaveData(TMemoryStream& stream, T1BDriverCard& card) const override
    {
        if constexpr (requires { record_->SaveToStream(stream, card); })
            record_->SaveToStream(stream, card);
        else
            record_->SaveToStream(stream);
    }

    Record& Data() { return *record_; }
    const Record& Data() const { return *record_; }

protected:
    TEFRecordFile(int slot, const char* caption, bool listsSignature, const T1BDriverCard& card)
        : TEFFile(slot), caption_(caption), listsSignature_(listsSignature), record_(Make(card))
    {
    }

private:
    static std::unique_ptr<Record> Make(const T1BDriverCard& card)
    {
        if constexpr (std::is_constructible_v<Record, const T1BDriverCard&>)
            return std::make_unique<Record>(card);
        else
            return std::make_unique<Record>();
    }

    const char* caption_;
    bool listsSignature_;
    std::unique_ptr<Record> record_;
};

class TEF_ICC : public TEFRecordFile<TCardIccIdentification> {
public:
    explicit TEF_ICC(const T1BDriverCard& card);
};

class TEF_IC : public TEFRecordFile<TCardChipIdentification> {
public:
    explicit TEF_IC(const T1BDriverCard& card);
};

class TEF_Application_Identification : public TEFRecordFile<TDriverCardApplicationIdentification> {
public:
    explicit TEF_Application_Identification(const T1BDriverCard& card);
};

class TEF_Card_Certificate : public TEFRecordFile<TCardCertificate> {
public:
    explicit TEF_Card_Certificate(const T1BDriverCard& card);
};

class TEF_CA_Certificate : public TEFRecordFile<TMemberStateCertificate> {
public:
    explicit TEF_CA_Certificate(const T1BDriverCard& card);
};

class TEF_Identification : public TEFFile {
public:
    explicit TEF_Identification(const T1BDriverCard& card);
    int ItemCount() const override { return HasSignature ? 3 : 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;
    void LoadData(TMemoryStream& stream, T1BDriverCard& card) override;
    void SaveData(TMemoryStream& stream, T1BDriverCard& card) const override;

    TCardIdentification& CardIdentification() { return *cardIdentification_; }
    const TCardIdentification& CardIdentification() const { return *cardIdentification_; }
    TDriverCardHolderIdentification& HolderIdentification() { return *holderIdentification_; }
    const TDriverCardHolderIdentification& HolderIdentification() const { return *holderIdentification_; }

private:
    std::unique_ptr<TCardIdentification> cardIdentification_;
    std::unique_ptr<TDriverCardHolderIdentification> holderIdentification_;
};

class TEF_Card_Download : public TEFRecordFile<TLastCardDownload> {
public:
    explicit TEF_Card_Download(const T1BDriverCard& card);
};

class TEF_Driving_License_Info : public TEFRecordFile<TCardDrivingLicenceInformation> {
public:
    explicit TEF_Driving_License_Info(const T1BDriverCard& card);
};

class TEF_Events_Data : public TEFRecordFile<TCardEventData> {
public:
    explicit TEF_Events_Data(const T1BDriverCard& card);
};

class TEF_Faults_Data : public TEFRecordFile<TCardFaultData> {
public:
    explicit TEF_Faults_Data(const T1BDriverCard& card);
};

class TEF_Driver_Activity_Data : public TEFRecordFile<TCardDriverActivity> {
public:
    explicit TEF_Driver_Activity_Data(const T1BDriverCard& card);
    // The ring goes back as it was read; only the card's LastRecordLength is noted.
    void SaveData(TMemoryStream& stream, T1BDriverCard& card) const override;
};

class TEF_Vehicles_Used : public TEFRecordFile<TCardVehiclesUsed> {
public:
    explicit TEF_Vehicles_Used(const T1BDriverCard& card);
};

class TEF_Places : public TEFRecordFile<TCardPlaceDailyWorkPeriod> {
public:
    explicit TEF_Places(const T1BDriverCard& card);
};

class TEF_Current_Usage : public TEFRecordFile<TCardCurrentUse> {
public:
    explicit TEF_Current_Usage(const T1BDriverCard& card);
};

class TEF_Control_Activity_Data : public TEFRecordFile<TCardControlActivityDataRecord> {
public:
    explicit TEF_Control_Activity_Data(const T1BDriverCard& card);
};

class TEF_Specific_Conditions : public TEFFile {
public:
    static constexpr std::size_t kRecords = 56;
    explicit TEF_Specific_Conditions(const T1BDriverCard& card);
    int ItemCount() const override { return HasSignature ? 2 : 1; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;
    void LoadData(TMemoryStream& stream, T1BDriverCard& card) override;
    void SaveData(TMemoryStream& stream, T1BDriverCard& card) const override;

    const TSpecificConditionRecord& Record(std::size_t i) const { return *records_[i]; }

private:
    std::array<std::unique_ptr<TSpecificConditionRecord>, kRecords> records_;
};
