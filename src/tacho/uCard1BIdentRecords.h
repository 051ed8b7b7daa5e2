#pragma once
// Identification records of a driver card: chip, application, card and
// holder identity, last download, driving licence.

#include "u1bUtils.h"

#include <cstdint>

class TCardIccIdentification : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 6; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t clockStop = 0;
    std::uint8_t cardExtendedSerialNumber[8] = {};
    std::uint8_t cardApprovalNumber[8] = {};
    std::uint8_t cardPersonaliserID = 0;
    std::uint8_t embedderIcAssemblerId[5] = {};
    std::uint16_t icIdentifier = 0;
};

class TCardChipIdentification : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t icSerialNumber[4] = {};
    std::uint8_t icManufacturingReferences[4] = {};
};

// Its counts size the card's record lists and its activity ring.
class TDriverCardApplicationIdentification : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 7; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t typeOfTachographCardId = 0;
    std::uint16_t cardStructureVersion = 0;
    std::uint8_t noOfEventsPerType = 0;
    std::uint8_t noOfFaultsPerType = 0;
    std::uint16_t activityStructureLength = 0;
    std::uint16_t noOfCardVehicleRecords = 0;
    std::uint8_t noOfCardPlaceRecords = 0;
};

class TCardIdentification : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 6; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t cardIssuingMemberState = 0;
    std::uint8_t cardNumber[16] = {};
    std::uint8_t cardIssuingAuthorityName[36] = {};
    std::uint32_t cardIssueDate = 0;
    std::uint32_t cardValidityBegin = 0;
    std::uint32_t cardExpiryDate = 0;
};

class TDriverCardHolderIdentification : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 4; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t holderSurname[36] = {};
    std::uint8_t holderFirstNames[36] = {};
    std::uint8_t cardHolderBirthDate[4] = {};
    std::uint8_t cardHolderPreferredLanguage[2] = {};
};

class TLastCardDownload : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 1; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t lastCardDownload = 0;
};

class TCardDrivingLicenceInformation : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 3; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t drivingLicenceIssuingAuthority[36] = {};
    std::uint8_t drivingLicenceIssuingNation = 0;
    std::uint8_t drivingLicenceNumber[16] = {};
};
