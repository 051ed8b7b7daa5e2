#pragma once
// The VU overview block (transfer response 76h 01h), read into records.
//
// Layout after the two response bytes (all numbers big-endian, times TimeReal):
//   MemberStateCertificate            194
//   VUCertificate                     194
//   ---- signed range starts ----
//   VehicleIdentificationNumber        17
//   VehicleRegistrationIdentification  15  nation 1 | number 14 (code page + 13)
//   CurrentDateTime                     4
//   VuDownloadablePeriode               8  min 4 | max 4
//   CardSlotStatus                      1
//   VuDownloadActivityData             58  time 4 | full card number 18 | name 36
//   VuCompanyLocksData             1+98 n
//   VuControlActivityData          1+31 n
//   ---- signed range ends ----
//   Signature                         128  RSA PKCS#1 v1.5, SHA-1, VU key
//
// Loading checks nothing: bytes past the end read as zero. List counts are
// single bytes, and no record is made past the end of the data.

#include "u1bUtils.h"
#include "uCard1BCertificates.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TCertificate;
class TCertificateStore;

inline constexpr std::size_t kVuSignatureSize = 128;

// What the overview reader needs to open the certificates and check the
// signature. The certificates stay owned by the store.
struct VerificationContext {
    bool CheckSignatures = false;
    TCertificate* MemberStateCertificate = nullptr;
    TCertificate* VuCertificate = nullptr;
    // The store that opens the certificates; none means the global store.
    TCertificateStore* Store = nullptr;
};

class TVUCertificate : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 1; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t data[kRawCertificateSize] = {};
};

class TFullCardNumber : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 18;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 3; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t cardType = 0;
    std::uint8_t cardIssuingMemberState = 0;
    std::uint8_t cardNumber[16] = {};
};

class TVehicleRegistrationIdentification : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 15;
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t vehicleRegistrationNation = 0;
    std::uint8_t vehicleRegistrationNumber[14] = {};
};

class TVuDownloadablePeriode : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t minDownloadableTime = 0;
    std::uint32_t maxDownloadableTime = 0;
};

class TVuDownloadActivityData : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 3; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t downloadingTime = 0;
    std::unique_ptr<TFullCardNumber> fullCardNumber = std::make_unique<TFullCardNumber>();
    std::uint8_t companyOrWorkshopName[36] = {};
};

class TVuCompanyLocksRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 98;
    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 5; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint32_t lockInTime = 0;
    std::uint32_t lockOutTime = 0;
    std::uint8_t companyName[36] = {};
    std::uint8_t companyAddress[36] = {};
    std::unique_ptr<TFullCardNumber> companyCardNumber = std::make_unique<TFullCardNumber>();
};

class TVuCompanyLocksData : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    // The count as read; records holds those the data reaches.
    std::uint8_t noOfLocks = 0;
    std::vector<std::unique_ptr<TVuCompanyLocksRecord>> records;
};

class TVuControlActivityRecord : public TvtInfoProvide {
public:
    static constexpr std::size_t kSize = 31;
    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 5; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    std::uint8_t controlType = 0;
    std::uint32_t controlTime = 0;
    std::unique_ptr<TFullCardNumber> controlCardNumber = std::make_unique<TFullCardNumber>();
    std::uint32_t downloadPeriodeBeginTime = 0;
    std::uint32_t downloadPeriodeEndTime = 0;
};

class TVuControlActivityData : public TvtInfoProvide {
public:
    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 2; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    // The count as read; records holds those the data reaches.
    std::uint8_t noOfControls = 0;
    std::vector<std::unique_ptr<TVuControlActivityRecord>> records;
};

// Base of a signed transfer block: where the signed bytes start, and the
// verdict on the signature that follows them.
class TVuPRT : public TvtInfoProvide {
public:
    explicit TVuPRT(VerificationContext* context = nullptr) : context_(context) {}

    bool SignatureValid() const { return signatureValid_; }
    std::span<const std::uint8_t, kVuSignatureSize> Signature() const { return signature_; }
    std::size_t SignedStart() const { return signedStart_; }

protected:
    // Reads the signature after the signed range; checks it only when the
    // context asks for it and holds a VU certificate.
    void LoadSignature(TMemoryStream& stream);

    std::size_t signedStart_ = 0;
    VerificationContext* context_ = nullptr; // not owned
    bool signatureValid_ = false;
    std::uint8_t signature_[kVuSignatureSize] = {};
};

// The overview block. The stream starts at the member state certificate (the
// response bytes 76h 01h already skipped) and ends up after the signature.
class TF7601 : public TVuPRT {
public:
    explicit TF7601(VerificationContext* context = nullptr);
    ~TF7601() override;

    void LoadFromStream(TMemoryStream& stream);
    int ItemCount() const override { return 10; }
    void GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const override;

    const TMemberStateCertificate& MemberStateCertificate() const { return *memberStateCertificate_; }
    const TVUCertificate& VUCertificate() const { return *vuCertificate_; }
    std::span<const std::uint8_t, 17> VehicleIdentificationNumber() const { return vin_; }
    const TVehicleRegistrationIdentification& VehicleRegistrationIdentification() const { return *registration_; }
    const TVuDownloadablePeriode& VuDownloadablePeriode() const { return *downloadablePeriode_; }
    std::uint8_t CardSlotStatus() const { return cardSlotStatus_; }
    const TVuDownloadActivityData& VuDownloadActivityData() const { return *downloadActivity_; }
    const TVuCompanyLocksData& VuCompanyLocksData() const { return *companyLocks_; }
    const TVuControlActivityData& VuControlActivityData() const { return *controlActivity_; }

    // The identification that names the VU archive.
    std::uint8_t RegistrationNation() const;
    std::string RegistrationText() const; // NameToText of the registration number
    std::string VinText() const;          // BytesToText of the 17 VIN bytes
    std::uint32_t CurrentDateTime() const { return currentDateTime_; }

private:
    std::unique_ptr<TMemberStateCertificate> memberStateCertificate_;
    std::unique_ptr<TVUCertificate> vuCertificate_;
    std::uint8_t vin_[17] = {};
    std::unique_ptr<TVehicleRegistrationIdentification> registration_;
    std::uint32_t currentDateTime_ = 0;
    std::unique_ptr<TVuDownloadablePeriode> downloadablePeriode_;
    std::uint8_t cardSlotStatus_ = 0;
    std::unique_ptr<TVuDownloadActivityData> downloadActivity_;
    std::unique_ptr<TVuCompanyLocksData> companyLocks_;
    std::unique_ptr<TVuControlActivityData> controlActivity_;
};
