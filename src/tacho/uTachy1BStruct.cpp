#include "uTachy1BStruct.h"

#include "uCertificates.h"

#include <vector>

namespace {

void Leaf(std::wstring& caption, TvtInfoProvide*& child, const std::string& text)
{
    caption = Widen8(text);
    child = nullptr;
}

void Node(std::wstring& caption, TvtInfoProvide*& child, const char* name, TvtInfoProvide* object)
{
    caption = Widen8(name);
    child = object;
}

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
        Leaf(caption, child, "data : " + BytesToHex(data));
}

void TFullCardNumber::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, cardType);
    ReadByte(stream, cardIssuingMemberState);
    ReadBytes(stream, cardNumber);
}

void TFullCardNumber::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: Leaf(caption, child, "cardType : " + Hex2(cardType)); break;
    case 1: Leaf(caption, child, "cardIssuingMemberState : " + Hex2(cardIssuingMemberState)); break;
    case 2: Leaf(caption, child, "cardNumber : " + BytesToHex(cardNumber)); break;
    default: break;
    }
}

void TVehicleRegistrationIdentification::LoadFromStream(TMemoryStream& stream)
{
    ReadByte(stream, vehicleRegistrationNation);
    ReadBytes(stream, vehicleRegistrationNumber);
}

void TVehicleRegistrationIdentification::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    switch (index) {
    case 0: Leaf(caption, child, "vehicleRegistrationNation : " + Hex2(vehicleRegistrationNation)); break;
    case 1: Leaf(caption, child, "vehicleRegistrationNumber : " + BytesToHex(vehicleRegistrationNumber)); break;
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
    case 0: Leaf(caption, child, "minDownloadableTime : " + Hex8(minDownloadableTime)); break;
    case 1: Leaf(caption, child, "maxDownloadableTime : " + Hex8(maxDownloadableTime)); break;
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
    case 0: Leaf(caption, child, "downloadingTime : " + Hex8(downloadingTime)); break;
    case 1: Node(caption, child, "fullCardNumber", fullCardNumber.get()); break;
    case 2: Leaf(caption, child, "companyOrWorkshopName : " + BytesToHex(companyOrWorkshopName)); break;
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
    case 0: Leaf(caption, child, "lockInTime : " + Hex8(lockInTime)); break;
    case 1: Leaf(caption, child, "lockOutTime : " + Hex8(lockOutTime)); break;
    case 2: Leaf(caption, child, "companyName : " + BytesToHex(companyName)); break;
    case 3: Leaf(caption, child, "companyAddress : " + BytesToHex(companyAddress)); break;
    case 4: Node(caption, child, "companyCardNumber", companyCardNumber.get()); break;
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
    case 0: Leaf(caption, child, "noOfLocks : " + Hex2(noOfLocks)); break;
    case 1: Leaf(caption, child, "VuCompanyLocksRecords"); break;
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
    case 0: Leaf(caption, child, "controlType : " + Hex2(controlType)); break;
    case 1: Leaf(caption, child, "controlTime : " + Hex8(controlTime)); break;
    case 2: Node(caption, child, "controlCardNumber", controlCardNumber.get()); break;
    case 3: Leaf(caption, child, "downloadPeriodeBeginTime : " + Hex8(downloadPeriodeBeginTime)); break;
    case 4: Leaf(caption, child, "downloadPeriodeEndTime : " + Hex8(downloadPeriodeEndTime)); break;
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
    case 0: Leaf(caption, child, "noOfControls : " + Hex2(noOfControls)); break;
    case 1: Leaf(caption, child, "VuControlActivityRecord"); break;
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
    case 0: Node(caption, child, "MemberStateCertificate", memberStateCertificate_.get()); break;
    case 1: Node(caption, child, "VUCertificate", vuCertificate_.get()); break;
    case 2: Leaf(caption, child, "VehicleIdentificationNumber : " + BytesToHex(vin_)); break;
    case 3: Node(caption, child, "VehicleRegistrationIdentification", registration_.get()); break;
    case 4: Leaf(caption, child, "CurrentDateTime : " + Hex8(currentDateTime_)); break;
    case 5: Node(caption, child, "VuDownloadablePeriode", downloadablePeriode_.get()); break;
    case 6: Leaf(caption, child, "CardSlotStatus : " + Hex2(cardSlotStatus_)); break;
    case 7: Node(caption, child, "VuDownloadActivityData", downloadActivity_.get()); break;
    case 8: Node(caption, child, "VuControlActivityData", controlActivity_.get()); break;
    case 9: Leaf(caption, child, "Signature : " + BytesToHex(signature_)); break;
    default: break;
    }
}

std::uint8_t TF7601::RegistrationNation() const { return registration_->vehicleRegistrationNation; }
std::string TF7601::RegistrationText() const { return NameToText(registration_->vehicleRegistrationNumber); }
std::string TF7601::VinText() const { return BytesToText(vin_); }
