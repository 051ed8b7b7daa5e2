#include "uRegisterFile.h"

#include "u1bUtils.h"
#include "uCard1BFile.h"
#include "uCardView.h"
#include "uImageKind.h"
#include "uMemoryStream.h"
#include "uTachy1BDownload.h"
#include "uTachy1BStruct.h"
#include "uViewText.h"
#include "uVuView.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace reg {
namespace {

// Enough of a file that is too large to tell whether it looks like a download.
constexpr std::size_t kHeadSize = 64 * 1024;

TFileFacts Unreadable(std::string reason)
{
    TFileFacts facts;
    facts.kind = TFileKind::Unreadable;
    facts.reason = std::move(reason);
    return facts;
}

std::string Nation(std::uint8_t code, const std::string& alpha)
{
    if (!alpha.empty())
        return alpha;
    // A code that names no country still tells two nations apart.
    return Hex2(code) + "h";
}

std::string Holder(const std::string& surname, const std::string& firstNames)
{
    if (surname.empty() || firstNames.empty())
        return surname + firstNames;
    return surname + ", " + firstNames;
}

TFileFacts ReadCard(std::span<const std::uint8_t> bytes, std::size_t start, TCertificateStore& store)
{
    const auto image = bytes.subspan(start);
    TMemoryStream stream = TMemoryStream::Borrow(image);
    T1BDriverCard card;
    try {
        card.LoadImage(stream);
    } catch (const ETachoError& e) {
        return Unreadable("the card image cannot be read: " + e.Reason() + " at offset " +
                          std::to_string(e.Offset() + start));
    }
    if (!card.HasIdentification()) {
        // A national variant frames its files alike: say why it is not read.
        for (const auto& problem : views::VerifyCardImage(image, store, start).problems)
            if (problem.kind == views::TVerificationProblem::TKind::ForeignLayout)
                return Unreadable("not the EU driver card layout: " + problem.detail);
        return Unreadable("the card image holds no EF_Identification");
    }

    // The walk takes a file cut short as far as it goes; the register must not
    // take a card number or a download time from a half.
    for (const int slot : {T1BDriverCard::kIdentification, T1BDriverCard::kCardDownload}) {
        const TEFFile* file = card.Slot(slot);
        if (file && file->HasData && card.DataBody(*file).size() != file->BodyLength)
            return Unreadable(std::string(file->Name()) + " is cut short: " + std::to_string(file->BodyLength) +
                              " bytes announced");
    }
    const views::TCardView view = views::ViewCard(card);
    if (view.identity.cardNumber.empty())
        return Unreadable("EF_Identification holds no card number");
    TFileFacts facts;
    facts.kind = TFileKind::DriverCard;
    facts.cardNumber = view.identity.cardNumber;
    facts.holder = Holder(view.identity.surname, view.identity.firstNames);
    facts.nation = Nation(view.identity.issuingNation, view.identity.issuingNationAlpha);
    facts.nationCode = view.identity.issuingNation;
    if (view.identity.expiryDate != 0)
        facts.cardExpiry = views::IsoDate(view.identity.expiryDate);
    facts.lastDownload = view.lastDownload.value_or(0);
    facts.verdict = views::VerifyCardImage(image, store, start).Overall();
    return facts;
}

TFileFacts ReadVu(std::span<const std::uint8_t> bytes, TCertificateStore& store)
{
    // The download starts at the overview's 76h.
    TMemoryStream stream = TMemoryStream::Borrow(bytes);
    TVuDownload download;
    download.LoadFromStream(stream);
    const auto overviews = download.BlocksOf<TF7601>();
    if (overviews.empty()) {
        if (const auto& stop = download.Stop())
            return Unreadable(DescribeStop(*stop));
        return Unreadable("the VU download holds no overview");
    }

    // The blocks after a readable overview may be cut short: the identity and
    // the download time stand, and the verdict tells what could not be checked.
    const views::TVuView view = views::ViewVu(download);
    TFileFacts facts;
    facts.kind = TFileKind::VehicleUnit;
    facts.registration = view.registration.number;
    facts.nation = Nation(view.registration.nation, view.registration.nationAlpha);
    facts.nationCode = view.registration.nation;
    facts.vin = view.vin;
    for (const TF7601* overview : overviews)
        facts.lastDownload = std::max(facts.lastDownload, overview->CurrentDateTime());
    facts.verdict = views::VerifyVuDownload(bytes, store).Overall();
    return facts;
}

TFileFacts TooLarge(std::span<const std::uint8_t> head, std::uintmax_t size)
{
    if (DetectImage(head).kind == TImageKind::Unknown)
        return {};
    return Unreadable("the file has " + std::to_string(size) + " bytes, more than a tachograph download holds");
}

TFileFacts Failed(const char* what, int error)
{
    TFileFacts facts = Unreadable(std::string("the file cannot be ") + what + ": " +
                                  std::generic_category().message(error));
    facts.lasting = false;
    return facts;
}

} // namespace

TFileFacts ReadRegisterBytes(std::span<const std::uint8_t> bytes, const std::vector<TTrustedKey>& trustedKeys)
{
    if (bytes.size() > kMaxRegisterFileSize)
        return TooLarge(bytes.first(kHeadSize), bytes.size());
    const TImage image = DetectImage(bytes);
    switch (image.kind) {
    case TImageKind::Unknown: return {};
    case TImageKind::VuGeneration2: {
        TFileFacts facts;
        facts.kind = TFileKind::Generation2;
        facts.reason = "a smart tachograph (generation 2) VU download";
        return facts;
    }
    case TImageKind::CardGeneration2: {
        TFileFacts facts;
        facts.kind = TFileKind::Generation2;
        facts.reason = "a generation-2 driver card image";
        return facts;
    }
    case TImageKind::DriverCard:
    case TImageKind::VuOverview: break;
    }
    // A store of its own: a certificate that one file set must never open the next file's.
    TCertificateStore store(trustedKeys);
    if (image.kind == TImageKind::DriverCard)
        return ReadCard(bytes, image.start, store);
    return ReadVu(bytes, store);
}

TFileFacts ReadRegisterFile(const std::filesystem::path& path, const std::vector<TTrustedKey>& trustedKeys)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Failed("opened", errno);
    std::vector<std::uint8_t> bytes;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxRegisterFileSize) {
        bytes.resize(kHeadSize);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        return TooLarge(bytes, size);
    }
    bytes.reserve(ec ? 0 : static_cast<std::size_t>(size));
    // Never more than one byte past the limit, whatever the file grew to meanwhile.
    std::array<char, 64 * 1024> chunk{};
    while (bytes.size() <= kMaxRegisterFileSize) {
        const auto want = std::min<std::size_t>(chunk.size(), kMaxRegisterFileSize + 1 - bytes.size());
        in.read(chunk.data(), static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in.gcount());
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
        if (!in)
            break;
    }
    if (in.bad())
        return Failed("read", errno);
    if (bytes.size() > kMaxRegisterFileSize)
        return TooLarge(std::span<const std::uint8_t>(bytes).first(kHeadSize), bytes.size());
    return ReadRegisterBytes(bytes, trustedKeys);
}

std::vector<TTrustedKey> RegisterTrustedKeys(const std::filesystem::path& directory)
{
    TCertificateStore store;
    if (!directory.empty())
        store.SetTrustedKeyDirectory(directory);
    std::vector<TTrustedKey> keys;
    for (const auto& key : store.TrustedKeys())
        keys.push_back({key->HolderReferenceText(), key->ModulusText(), key->ExponentText()});
    return keys;
}

} // namespace reg
