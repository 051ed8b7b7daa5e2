#include "uCard1BFile.h"

#include "uCardBlocks.h"

#include <algorithm>

namespace {

struct FileEntry {
    std::uint16_t fid;
    const char* name;
    bool identification; // loaded by the quick identification walk
};

constexpr FileEntry kFiles[T1BDriverCard::kSlotCount] = {
    {0x0002, "EF_ICC", true},
    {0x0005, "EF_IC", true},
    {0x0501, "EF_Application_Identification", true},
    {0xC100, "EF_Card_Certificate", false},
    {0xC108, "EF_CA_Certificate", false},
    {0x0520, "EF_Identification", true},
    {0x050E, "EF_Card_Download", true},
    {0x0521, "EF_Driving_License_Info", false},
    {0x0502, "EF_Events_Data", false},
    {0x0503, "EF_Faults_Data", false},
    {0x0504, "EF_Driver_Activity_Data", false},
    {0x0505, "EF_Vehicles_Used", false},
    {0x0506, "EF_Places", false},
    {0x0507, "EF_Current_Usage", false},
    {0x0508, "EF_Control_Activity_Data", false},
    {0x0522, "EF_Specific_Conditions", false},
};


} // namespace

T1BDriverCard::T1BDriverCard() = default;
T1BDriverCard::~T1BDriverCard() = default;

int T1BDriverCard::SlotOfFid(std::uint16_t fid)
{
    for (int i = 0; i < kSlotCount; ++i)
        if (kFiles[i].fid == fid)
            return i;
    return -1;
}

std::uint16_t T1BDriverCard::FidOfSlot(int slot)
{
    return slot >= 0 && slot < kSlotCount ? kFiles[slot].fid : 0;
}

const char* T1BDriverCard::SlotName(int slot)
{
    return slot >= 0 && slot < kSlotCount ? kFiles[slot].name : "";
}

std::unique_ptr<TEFFile> T1BDriverCard::CreateFile(int slot) const
{
    switch (slot) {
    case kICC: return std::make_unique<TEF_ICC>(*this);
    case kIC: return std::make_unique<TEF_IC>(*this);
    case kApplicationIdentification: return std::make_unique<TEF_Application_Identification>(*this);
    case kCardCertificate: return std::make_unique<TEF_Card_Certificate>(*this);
    case kCACertificate: return std::make_unique<TEF_CA_Certificate>(*this);
    case kIdentification: return std::make_unique<TEF_Identification>(*this);
    case kCardDownload: return std::make_unique<TEF_Card_Download>(*this);
    case kDrivingLicenseInfo: return std::make_unique<TEF_Driving_License_Info>(*this);
    case kEventsData: return std::make_unique<TEF_Events_Data>(*this);
    case kFaultsData: return std::make_unique<TEF_Faults_Data>(*this);
    case kDriverActivityData: return std::make_unique<TEF_Driver_Activity_Data>(*this);
    case kVehiclesUsed: return std::make_unique<TEF_Vehicles_Used>(*this);
    case kPlaces: return std::make_unique<TEF_Places>(*this);
    case kCurrentUsage: return std::make_unique<TEF_Current_Usage>(*this);
    case kControlActivityData: return std::make_unique<TEF_Control_Activity_Data>(*this);
    case kSpecificConditions: return std::make_unique<TEF_Specific_Conditions>(*this);
    default: return nullptr;
    }
}

void T1BDriverCard::LoadImage(TMemoryStream& stream) { Walk(stream, false); }
void T1BDriverCard::LoadIdentification(TMemoryStream& stream) { Walk(stream, true); }

void T1BDriverCard::Walk(TMemoryStream& stream, bool identificationOnly)
{
    for (auto& slot : slots_)
        slot.reset();
    blocks_.clear();
    LastRecordLength = 0;

    const std::size_t start = stream.Position();
    const auto bytes = stream.Bytes();
    rawImage_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(start, bytes.size())), bytes.end());
    stream.SetPosition(start);

    // Each pass takes at least the 5 header bytes, so the walk ends.
    while (stream.Remaining() > TCardBlockHeader::kSize) {
        TCardBlockHeader header;
        ReadCardBlockHeader(bytes, stream.Position(), header);
        TCardBlock block;
        block.fid = header.fid;
        block.kind = header.kind;
        block.length = header.length;
        block.headerOffset = header.headerOffset - start;
        block.slot = SlotOfFid(block.fid);
        const std::size_t bodyStart = header.BodyOffset();
        stream.SetPosition(bodyStart);

        if (block.slot < 0) {
            // Not stepped over: the next header is read from the body.
            blocks_.push_back(block);
            continue;
        }
        if (identificationOnly && !kFiles[block.slot].identification) {
            stream.SetPosition(std::min(bodyStart + block.length, stream.Size()));
            block.consumed = stream.Position() - bodyStart;
            blocks_.push_back(block);
            continue;
        }

        auto& file = slots_[static_cast<std::size_t>(block.slot)];
        if (!file)
            file = CreateFile(block.slot);
        if (block.kind == 0) {
            file->BodyOffset = static_cast<std::int32_t>(bodyStart - start);
            file->BodyLength = block.length;
            file->HasData = true;
            file->LoadData(stream, *this);
        } else if (block.kind == 1) {
            file->ReadSignature(stream);
        }
        block.consumed = stream.Position() - bodyStart;
        blocks_.push_back(block);
    }
}

void T1BDriverCard::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index < 0 || index >= kSlotCount)
        return;
    caption = Widen8(kFiles[index].name);
    child = slots_[static_cast<std::size_t>(index)].get();
}

TEFFile* T1BDriverCard::Slot(int index) const
{
    return index >= 0 && index < kSlotCount ? slots_[static_cast<std::size_t>(index)].get() : nullptr;
}

const TEF_Application_Identification* T1BDriverCard::ApplicationIdentification() const
{
    return SlotAs<TEF_Application_Identification>(kApplicationIdentification);
}

const TEF_Identification* T1BDriverCard::Identification() const
{
    return SlotAs<TEF_Identification>(kIdentification);
}

const TEF_Card_Download* T1BDriverCard::CardDownload() const { return SlotAs<TEF_Card_Download>(kCardDownload); }

const TEF_Driver_Activity_Data* T1BDriverCard::DriverActivityData() const
{
    return SlotAs<TEF_Driver_Activity_Data>(kDriverActivityData);
}

const TDriverCardApplicationIdentification* T1BDriverCard::ApplicationIdentificationRecord() const
{
    const auto* file = ApplicationIdentification();
    return file ? &file->Data() : nullptr;
}

bool T1BDriverCard::HasIdentification() const { return Identification() != nullptr; }

std::uint8_t T1BDriverCard::IssuingNation() const
{
    const auto* file = Identification();
    return file ? file->CardIdentification().cardIssuingMemberState : 0;
}

std::string T1BDriverCard::CardNumberText() const
{
    const auto* file = Identification();
    return file ? BytesToText(file->CardIdentification().cardNumber) : std::string();
}

std::string T1BDriverCard::SurnameText() const
{
    const auto* file = Identification();
    return file ? NameToText(file->HolderIdentification().holderSurname) : std::string();
}

std::string T1BDriverCard::FirstNamesText() const
{
    const auto* file = Identification();
    return file ? NameToText(file->HolderIdentification().holderFirstNames) : std::string();
}

std::optional<std::uint32_t> T1BDriverCard::LastDownloadTime() const
{
    const auto* file = CardDownload();
    if (!file)
        return std::nullopt;
    return file->Data().lastCardDownload;
}

std::span<const std::uint8_t> T1BDriverCard::DataBody(const TEFFile& file) const
{
    if (!file.HasData || file.BodyOffset < 0)
        return {};
    const auto offset = static_cast<std::size_t>(file.BodyOffset);
    if (offset > rawImage_.size() || file.BodyLength > rawImage_.size() - offset)
        return {};
    return std::span<const std::uint8_t>(rawImage_).subspan(offset, file.BodyLength);
}
