#include "uTachy1BDownload.h"

namespace {

// Sizes of the overview around its two counts.
constexpr std::size_t kOverviewBeforeLocks = 2 * kRawCertificateSize + 17 + 15 + 4 + 8 + 1 + 58;

// The overview reader takes missing bytes as zeros; here a short overview is
// an error, found from its counts before it is read.
void RequireWholeOverview(const TMemoryStream& stream)
{
    const std::size_t at = stream.Position();
    const auto bytes = stream.Bytes().subspan(at);
    auto need = [&](std::size_t n, const std::string& what) {
        if (bytes.size() < n)
            throw ETachoError(what + ": the block needs " + std::to_string(n) + " bytes, " +
                                  std::to_string(bytes.size()) + " left",
                              at + bytes.size());
    };
    need(kOverviewBeforeLocks + 1, "MemberStateCertificate to VuDownloadActivityData");
    const std::size_t locks = bytes[kOverviewBeforeLocks];
    std::size_t size = kOverviewBeforeLocks + 1 + locks * TVuCompanyLocksRecord::kSize;
    need(size + 1, "VuCompanyLocksData of " + std::to_string(locks) + " locks");
    const std::size_t controls = bytes[size];
    size += 1 + controls * TVuControlActivityRecord::kSize;
    need(size, "VuControlActivityData of " + std::to_string(controls) + " controls");
    need(size + kVuSignatureSize, "signature of the 76 01 block");
}

std::unique_ptr<TVuPRT> MakeBlock(std::uint8_t trep, VerificationContext* context)
{
    switch (trep) {
    case 0x01: return std::make_unique<TF7601>(context);
    case TF7602::kTrep: return std::make_unique<TF7602>(context);
    case TF7603::kTrep: return std::make_unique<TF7603>(context);
    case TF7604::kTrep: return std::make_unique<TF7604>(context);
    case TF7605::kTrep: return std::make_unique<TF7605>(context);
    default: return nullptr;
    }
}

} // namespace

bool IsGeneration2Trep(std::uint8_t trep)
{
    return (trep >= 0x21 && trep <= 0x25) || (trep >= 0x31 && trep <= 0x35);
}

const char* VuBlockName(std::uint8_t trep)
{
    switch (trep) {
    case 0x01: return "overview";
    case 0x02: return "activities";
    case 0x03: return "events and faults";
    case 0x04: return "detailed speed";
    case 0x05: return "technical data";
    default: return "";
    }
}

std::string DescribeStop(const TVuReadStop& stop)
{
    std::string block;
    if (VuBlockName(stop.trep)[0] != '\0')
        block = " (76 " + Hex2(stop.trep) + " " + VuBlockName(stop.trep) + ")";
    return "the download cannot be read from offset " + std::to_string(stop.blockOffset) + " on" + block + ": " +
           stop.reason + " at offset " + std::to_string(stop.offset);
}

TVuDownload::TVuDownload(VerificationContext* context) : context_(context) {}
TVuDownload::~TVuDownload() = default;

void TVuDownload::LoadFromStream(TMemoryStream& stream)
{
    blocks_.clear();
    entries_.clear();
    stop_.reset();
    const std::size_t start = stream.Position();
    size_ = stream.Size() > start ? stream.Size() - start : 0;
    const auto bytes = stream.Bytes();

    // Every block takes at least its two response bytes and a signature, so the walk ends.
    while (stream.Remaining() > 0) {
        const std::size_t at = stream.Position();
        TVuReadStop stop;
        stop.blockOffset = at - start;
        stop.offset = stop.blockOffset;
        if (stream.Remaining() < 2 || bytes[at] != 0x76) {
            stop.reason = stream.Remaining() < 2 ? "a single byte where a transfer response (76h TREP) should start"
                                                 : "no transfer response here: " + Hex2(bytes[at]) + "h, not 76h";
            stop_ = stop;
            return;
        }
        stop.trep = bytes[at + 1];
        auto block = MakeBlock(stop.trep, context_);
        if (!block) {
            stop.reason = IsGeneration2Trep(stop.trep)
                              ? "transfer response 76 " + Hex2(stop.trep) + " of a smart tachograph (generation 2)"
                              : "unknown transfer response 76 " + Hex2(stop.trep);
            stop_ = stop;
            return;
        }
        stream.SetPosition(at + 2);
        try {
            if (auto* overview = dynamic_cast<TF7601*>(block.get())) {
                RequireWholeOverview(stream);
                overview->LoadFromStream(stream);
            } else {
                static_cast<TVuTransferBlock&>(*block).LoadFromStream(stream);
            }
        } catch (const ETachoError& e) {
            stop.offset = e.Offset() >= start ? e.Offset() - start : 0;
            stop.reason = e.Reason();
            stop_ = stop;
            return;
        }
        TVuBlockEntry entry;
        entry.trep = stop.trep;
        entry.offset = at - start;
        entry.size = stream.Position() - at;
        entry.signedOffset = block->SignedStart() - start;
        entry.signedSize = stream.Position() - kVuSignatureSize - block->SignedStart();
        entry.block = block.get();
        blocks_.push_back(std::move(block));
        entries_.push_back(entry);
    }
}

void TVuDownload::GetItem(int index, std::wstring& caption, TvtInfoProvide*& child) const
{
    if (index < 0 || index >= ItemCount())
        return;
    const TVuBlockEntry& entry = entries_[static_cast<std::size_t>(index)];
    const std::string text = "76 " + Hex2(entry.trep) + " " + VuBlockName(entry.trep);
    SetNode(text.c_str(), blocks_[static_cast<std::size_t>(index)].get(), caption, child);
}

const TF7601* TVuDownload::Overview() const
{
    const auto overviews = BlocksOf<TF7601>();
    return overviews.empty() ? nullptr : overviews.front();
}
