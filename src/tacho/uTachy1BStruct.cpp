#include "uTachy1BStruct.h"

#include "uCertificates.h"

#include <vector>

namespace {

// Reads up to count records, but none that would start past the end of the
// data: a count byte must not conjure records out of nothing.
template <class Record>
void LoadList(TMemoryStream& stream, std::uint8_t count, std::vector<std::unique_ptr<Record>>& records)
{
    records.clear();
    for (int i = 0; i < count && stream.Remaining() > 0; ++i) {
        auto record = std::make_unique<Record>();
        record->LoadFromStream(stream);
        records.push_back(std::move(record));
    }
}

} // namespace

// --- records ---

void TVUCertificate::LoadFromStream(TMemoryStream& stream) { ReadBytes(stream, data); }

void TVUCertificate::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index == 0)
        SetLeaf("data : " + BytesToHex(data), caption, child);
}

void TFullCardNumber::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, cardType);
    ReadByte(stream, cardIssuingMemberState);
    ReadBytes(stream, cardNumber);
}

void TFullCardNumber::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, cardType);
    WriteByte(stream, cardIssuingMemberState);
    WriteBytes(stream, cardNumber);
}

void TFullCardNumber::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("cardType : " + Hex2(cardType), caption, child); break;
    case 1: SetLeaf("cardIssuingMemberState : " + Hex2(cardIssuingMemberState), caption, child); break;
    case 2: SetLeaf("cardNumber : " + BytesToHex(cardNumber), caption, child); break;
    default: break;
    }
}

void TVehicleRegistrationIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, vehicleRegistrationNation);
    ReadBytes(stream, vehicleRegistrationNumber);
}

void TVehicleRegistrationIdentification::SaveToStream(TMemoryStream& stream) const
{
    WriteByte(stream, vehicleRegistrationNation);
    WriteBytes(stream, vehicleRegistrationNumber);
}

void TVehicleRegistrationIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("vehicleRegistrationNation : " + Hex2(vehicleRegistrationNation), caption, child); break;
    case 1: SetLeaf("vehicleRegistrationNumber : " + BytesToHex(vehicleRegistrationNumber), caption, child); break;
    default: break;
    }
}

void TVuDownloadablePeriode::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, minDownloadableTime);
    ReadLongWord(stream, maxDownloadableTime);
}

void TVuDownloadablePeriode::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("minDownloadableTime : " + Hex8(minDownloadableTime), caption, child); break;
    case 1: SetLeaf("maxDownloadableTime : " + Hex8(maxDownloadableTime), caption, child); break;
    default: break;
    }
}

void TVuDownloadActivityData::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, downloadingTime);
    fullCardNumber->LoadFromStream(stream);
    ReadBytes(stream, companyOrWorkshopName);
}

void TVuDownloadActivityData::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("downloadingTime : " + Hex8(downloadingTime), caption, child); break;
    case 1: SetNode("fullCardNumber", fullCardNumber.get(), caption, child); break;
    case 2: SetLeaf("companyOrWorkshopName : " + BytesToHex(companyOrWorkshopName), caption, child); break;
    default: break;
    }
}

void TVuCompanyLocksRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadLongWord(stream, lockInTime);
    ReadLongWord(stream, lockOutTime);
    ReadBytes(stream, companyName);
    ReadBytes(stream, companyAddress);
    companyCardNumber->LoadFromStream(stream);
}

void TVuCompanyLocksRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("lockInTime : " + Hex8(lockInTime), caption, child); break;
    case 1: SetLeaf("lockOutTime : " + Hex8(lockOutTime), caption, child); break;
    case 2: SetLeaf("companyName : " + BytesToHex(companyName), caption, child); break;
    case 3: SetLeaf("companyAddress : " + BytesToHex(companyAddress), caption, child); break;
    case 4: SetNode("companyCardNumber", companyCardNumber.get(), caption, child); break;
    default: break;
    }
}

void TVuCompanyLocksData::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, noOfLocks);
    LoadList(stream, noOfLocks, records);
}

void TVuCompanyLocksData::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("noOfLocks : " + Hex2(noOfLocks), caption, child); break;
    case 1: SetLeaf("VuCompanyLocksRecords", caption, child); break;
    default: break;
    }
}

void TVuControlActivityRecord::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, controlType);
    ReadLongWord(stream, controlTime);
    controlCardNumber->LoadFromStream(stream);
    ReadLongWord(stream, downloadPeriodeBeginTime);
    ReadLongWord(stream, downloadPeriodeEndTime);
}

void TVuControlActivityRecord::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("controlType : " + Hex2(controlType), caption, child); break;
    case 1: SetLeaf("controlTime : " + Hex8(controlTime), caption, child); break;
    case 2: SetNode("controlCardNumber", controlCardNumber.get(), caption, child); break;
    case 3: SetLeaf("downloadPeriodeBeginTime : " + Hex8(downloadPeriodeBeginTime), caption, child); break;
    case 4: SetLeaf("downloadPeriodeEndTime : " + Hex8(downloadPeriodeEndTime), caption, child); break;
    default: break;
    }
}

void TVuControlActivityData::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, noOfControls);
    LoadList(stream, noOfControls, records);
}

void TVuControlActivityData::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetLeaf("noOfControls : " + Hex2(noOfControls), caption, child); break;
    case 1: SetLeaf("VuControlActivityRecord", caption, child); break;
    default: break;
    }
}

// --- signed block ---

void TVuPRT::LoadSignature(TMemoryStream& stream)
{
    signatureValid_ = false;
    if (!context_ || !context_->CheckSignatures) {
        ReadBytes(stream, signature_);
        return;
    }
    const std::size_t end = stream.Position();
    std::vector<std::uint8_t> signedBytes(end > signedStart_ ? end - signedStart_ : 0);
    if (!signedBytes.empty()) {
        stream.SetPosition(signedStart_);
        signedBytes.resize(stream.Read(signedBytes.data(), signedBytes.size()));
        stream.SetPosition(end);
    }

    ReadBytes(stream, signature_);
    if (context_->VuCertificate)
        signatureValid_ = VerifySignature(signedBytes, signature_, *context_->VuCertificate);
}

TF7601::TF7601(VerificationContext* context)
    : TVuPRT(context), memberStateCertificate_(std::make_unique<TMemberStateCertificate>()),
      vuCertificate_(std::make_unique<TVUCertificate>()),
      registration_(std::make_unique<TVehicleRegistrationIdentification>()),
      downloadablePeriode_(std::make_unique<TVuDownloadablePeriode>()),
      downloadActivity_(std::make_unique<TVuDownloadActivityData>()),
      companyLocks_(std::make_unique<TVuCompanyLocksData>()),
      controlActivity_(std::make_unique<TVuControlActivityData>())
{
}

TF7601::~TF7601() = default;

void TF7601::LoadFromStream(TMemoryStream& stream)
{
    memberStateCertificate_->LoadFromStream(stream);
    vuCertificate_->LoadFromStream(stream);
    if (context_) {
        TCertificateStore& store = context_->Store ? *context_->Store : GlobalCertificateStore();
        context_->MemberStateCertificate = SetMemberStateCertificate(store, memberStateCertificate_->data);
        context_->VuCertificate = SetVuCertificate(store, vuCertificate_->data);
    }

    signedStart_ = stream.Position();
    ReadBytes(stream, vin_);
    registration_->LoadFromStream(stream);
    ReadLongWord(stream, currentDateTime_);
    downloadablePeriode_->LoadFromStream(stream);
    ReadByte(stream, cardSlotStatus_);
    downloadActivity_->LoadFromStream(stream);
    companyLocks_->LoadFromStream(stream);
    controlActivity_->LoadFromStream(stream);
    LoadSignature(stream);
}

void TF7601::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: SetNode("MemberStateCertificate", memberStateCertificate_.get(), caption, child); break;
    case 1: SetNode("VUCertificate", vuCertificate_.get(), caption, child); break;
    case 2: SetLeaf("VehicleIdentificationNumber : " + BytesToHex(vin_), caption, child); break;
    case 3: SetNode("VehicleRegistrationIdentification", registration_.get(), caption, child); break;
    case 4: SetLeaf("CurrentDateTime : " + Hex8(currentDateTime_), caption, child); break;
    case 5: SetNode("VuDownloadablePeriode", downloadablePeriode_.get(), caption, child); break;
    case 6: SetLeaf("CardSlotStatus : " + Hex2(cardSlotStatus_), caption, child); break;
    case 7: SetNode("VuDownloadActivityData", downloadActivity_.get(), caption, child); break;
    case 8: SetNode("VuControlActivityData", controlActivity_.get(), caption, child); break;
    case 9: SetLeaf("Signature : " + BytesToHex(signature_), caption, child); break;
    default: break;
    }
}

std::uint8_t TF7601::RegistrationNation() const { return registration_->vehicleRegistrationNation; }
std::string TF7601::RegistrationText() const { return NameToText(registration_->vehicleRegistrationNumber); }
std::string TF7601::VinText() const { return BytesToText(vin_); }
