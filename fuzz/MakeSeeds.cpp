// Writes the starting corpora of the fuzz targets:
//
//   pellkit-fuzz-seeds OUTDIR [SAMPLES_DIR]
//
// OUTDIR/<target>/ gets small cases built here, and, when SAMPLES_DIR holds
// real downloads, cases made from them: card images, overview blocks, their
// certificates and data files packed from them. Those stay in the build
// folder; they hold real people's data.
//
// Plain C++ on purpose: it needs none of the instrumented libraries. The
// cards, overviews and data files come from the test builders (tools/testkit).

#include "ContainerBuilder.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

using namespace pellkit::test;

namespace {

Bytes Slice(const Bytes& b, std::size_t from, std::size_t n)
{
    from = std::min(from, b.size());
    n = std::min(n, b.size() - from);
    return Bytes(b.begin() + std::ptrdiff_t(from), b.begin() + std::ptrdiff_t(from + n));
}

// ---- Vexa frames ------------------------------------------------------------------

Bytes Frame(std::uint8_t code, const Bytes& data)
{
    Bytes f = Concat({Bytes{0x02, 0x61, 0x00}, BE16(std::uint16_t(data.size() + 1)), Bytes{code}, data});
    std::uint8_t sum = 0;
    for (std::size_t i = 1; i < f.size(); ++i)
        sum ^= f[i];
    f.push_back(sum);
    f.push_back(0x03);
    return f;
}

// A whole session as the Vexa answers it: configuration, settings, end,
// clock, clock write, open, the data file in blocks, end of file, finish.
Bytes Session(const Bytes& file)
{
    Bytes s = Frame(0x00, {0x00, 0x01, 0x00, 0x02});
    Append(s, Frame(0x00, {}));
    Append(s, Frame(0x00, {}));
    Append(s, Frame(0x00, {0x00, 0x03, 0x00, 0x04}));
    Append(s, Frame(0x00, {}));
    Append(s, Frame(0x00, {0x00, 0x00, 0x10, 0x00}));
    for (std::size_t at = 0; at < file.size(); at += 512)
        Append(s, Frame(0x00, Slice(file, at, 512)));
    Append(s, Frame(0x83, {}));
    Append(s, Frame(0x00, {}));
    return s;
}

// The overview's length when a VU download starts with a whole one.
std::optional<std::size_t> OverviewOf(const Bytes& download)
{
    try {
        return OverviewLength(download);
    } catch (const EPackError&) {
        return std::nullopt;
    }
}

// The data and signature bodies of a card image, by FID (first of each kind).
struct CardFiles {
    std::vector<std::pair<std::uint16_t, Bytes>> data;
    std::vector<std::pair<std::uint16_t, Bytes>> signatures;
    const Bytes* Data(std::uint16_t fid) const
    {
        for (const auto& [f, body] : data)
            if (f == fid)
                return &body;
        return nullptr;
    }
    const Bytes* Signature(std::uint16_t fid) const
    {
        for (const auto& [f, body] : signatures)
            if (f == fid)
                return &body;
        return nullptr;
    }
};

CardFiles SplitCard(const Bytes& image)
{
    CardFiles files;
    std::size_t at = 0;
    while (at + 5 <= image.size()) {
        const std::uint16_t fid = std::uint16_t(image[at] << 8 | image[at + 1]);
        const std::uint8_t kind = image[at + 2];
        const std::size_t length = std::size_t(image[at + 3] << 8 | image[at + 4]);
        const Bytes body = Slice(image, at + 5, length);
        (kind == 0 ? files.data : files.signatures).emplace_back(fid, body);
        at += 5 + length;
    }
    return files;
}

// ---- output ---------------------------------------------------------------------------

class Corpus {
public:
    explicit Corpus(fs::path root) : root_(std::move(root)) {}

    void Add(const std::string& target, const std::string& name, const Bytes& bytes)
    {
        const fs::path dir = root_ / target;
        fs::create_directories(dir);
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::cerr << "cannot write " << (dir / name) << '\n';
            ok_ = false;
        }
        ++count_;
    }
    bool Ok() const { return ok_; }
    int Count() const { return count_; }

private:
    fs::path root_;
    bool ok_ = true;
    int count_ = 0;
};

std::optional<Bytes> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BuiltSeeds(Corpus& c)
{
    const ApplicationCounts small{.noOfEventsPerType = 1,
                                  .noOfFaultsPerType = 1,
                                  .activityStructureLength = 64,
                                  .noOfCardVehicleRecords = 2,
                                  .noOfCardPlaceRecords = 2};
    const Bytes card = MakeDriverCardImage(small);
    const Bytes cardQuick = MakeDriverCardImage(small, CardContent::Identification);
    const Bytes zeroCounts = MakeDriverCardImage({});
    const Bytes overview = MakeOverview(1, 1);

    c.Add("card", "full", card);
    c.Add("card", "identification-only", cardQuick);
    c.Add("card", "zero-counts", zeroCounts);
    c.Add("card", "more-records",
          MakeDriverCardImage({.noOfEventsPerType = 3,
                               .noOfFaultsPerType = 2,
                               .activityStructureLength = 200,
                               .noOfCardVehicleRecords = 5,
                               .noOfCardPlaceRecords = 4}));

    c.Add("overview", "one-lock-one-control", overview);
    c.Add("overview", "no-locks", MakeOverview(0, 0));
    c.Add("overview", "three-locks-two-controls", MakeOverview(3, 2));

    // Whole VU downloads: the overview and one block of every kind.
    const Bytes overviewResponse = Concat({Bytes{0x76, 0x01}, overview});
    const Bytes day = MakeTransferResponse(
        0x02, ActivitiesData({.cards = {CardIWFields{}, CardIWFields{.slot = 1}},
                              .changes = {ActivityChange(0, false, false, kBreakRest, 0), ActivityChange(1, false, true, kBreakRest, 0),
                                          ActivityChange(0, false, false, kDriving, 360), ActivityChange(1, true, false, kWork, 370),
                                          ActivityChange(0, true, false, kBreakRest, 600)},
                              .places = 2,
                              .conditions = 2}));
    const Bytes download = MakeVuDownload({overviewResponse, day,
                                           MakeTransferResponse(0x02, ActivitiesData({.day = kDay + 86399 + 86400})),
                                           MakeTransferResponse(0x03, EventsFaultsData(2, 2, 1, 1)),
                                           MakeTransferResponse(0x04, DetailedSpeedData(kDay, 3)),
                                           MakeTransferResponse(0x05, TechnicalData(2))});
    for (const char* target : {"vu-blocks", "views"}) {
        c.Add(target, "download", download);
        c.Add(target, "overview-only", overviewResponse);
        c.Add(target, "one-day", MakeVuDownload({overviewResponse, day}));
    }
    c.Add("vu-blocks", "activities-data", Concat({ActivitiesData({.places = 1}), Bytes(128, 0)}));
    c.Add("vu-blocks", "events-data", Concat({EventsFaultsData(1, 1, 1, 1), Bytes(128, 0)}));
    c.Add("vu-blocks", "speed-data", Concat({DetailedSpeedData(kDay, 2), Bytes(128, 0)}));
    c.Add("vu-blocks", "technical-data", Concat({TechnicalData(1), Bytes(128, 0)}));
    c.Add("views", "card", card);
    c.Add("views", "card-more-records", MakeDriverCardImage({.noOfEventsPerType = 3,
                                                             .noOfFaultsPerType = 2,
                                                             .activityStructureLength = 200,
                                                             .noOfCardVehicleRecords = 5,
                                                             .noOfCardPlaceRecords = 4}));

    // One file of each kind the register tells apart.
    c.Add("register", "card", card);
    c.Add("register", "card-via-vu", Concat({Bytes{0x76, 0x06}, cardQuick}));
    c.Add("register", "card-with-download", MakeCardImage(TCardFields{}.LastDownload(kDay)));
    c.Add("register", "vu-download", download);
    c.Add("register", "vu-overview-only", MakeOverviewResponse(0x0D, "AB 123", "WDB9634031L123456", kDay));
    c.Add("register", "vu-generation-2", MakeResponse(0x21, 64));
    c.Add("register", "card-generation-2",
          MakeCardImage().AddFile(0x0002, 0, Bytes(25, 0x11)).AddFile(0x0520, 2, Bytes(143, 0x20)).Image());
    c.Add("register", "text", Bytes{'h', 'e', 'l', 'l', 'o'});

    const Bytes vuResponse = MakeResponse(0x02, 300);
    const Bytes overviewPart = Concat({Bytes{0x76, 0x01}, overview});
    c.Add("validate", "card", MakeContainer({{{0xA7, card}}}));
    c.Add("validate", "card-via-vu", MakeContainer({CardViaVuEntry(card)}));
    c.Add("validate", "vu", MakeContainer({{{0xA1, overviewPart}, {0xA2, vuResponse}}}));
    c.Add("validate", "vu-speed", MakeContainer({{{0xA1, overviewPart}, {0xA8, Bytes(60, 0x33)}}}));
    c.Add("validate", "mixed", MakeContainer({{{0xA7, cardQuick}}, {{0xA1, overviewPart}, {0xA3, vuResponse}}, {}}));
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, Bytes>>{
             {"card", MakeContainer({{{0xA7, card}}})},
             {"card-via-vu", MakeContainer({CardViaVuEntry(cardQuick)})},
             {"vu", MakeContainer({{{0xA1, overviewPart}, {0xA2, vuResponse}, {0xA5, Bytes{0x76, 0x05}}}})},
             {"vu-speed", MakeContainer({{{0xA1, overviewPart}, {0xA8, Bytes(60, 0x33)}}})},
             {"two-cards", MakeContainer({{{0xA7, cardQuick}}, {{0xA7, zeroCounts}}})},
             {"repeated-vu-response", MakeContainer({{{0xA2, Bytes{0x76, 0x02, 0x01}}}, {{0xA2, Bytes{0x76, 0x02, 0x02}}}})},
         })
        c.Add("store", name, bytes);

    c.Add("frame", "request", Frame(0x81, {}));
    c.Add("frame", "handshake-answer", Frame(0x00, {0x12, 0x34, 0x56, 0x78}));
    c.Add("frame", "end-of-file", Frame(0x83, {}));
    Bytes twoFrames = Frame(0x00, Slice(MakeContainer({{{0xA7, cardQuick}}}), 0, 200));
    Append(twoFrames, Frame(0x83, {}));
    c.Add("frame", "block-then-end", twoFrames);
    Bytes noise{0x55, 0x02, 0x00};
    Append(noise, Frame(0x00, {0x01}));
    c.Add("frame", "noise-before", noise);
    Bytes badChecksum = Frame(0x00, {0x01, 0x02});
    badChecksum[badChecksum.size() - 2] ^= 0xFF;
    c.Add("frame", "bad-checksum", badChecksum);
    c.Add("frame", "length-zero", Bytes{0x02, 0x61, 0x00, 0x00, 0x00, 0x61, 0x03});

    c.Add("exchange", "card", Session(MakeContainer({{{0xA7, cardQuick}}})));
    c.Add("exchange", "vu", Session(MakeContainer({{{0xA1, overviewPart}, {0xA2, vuResponse}}})));
    Bytes refused = Frame(0x00, {0x00, 0x01, 0x00, 0x02});
    for (const std::uint8_t status : {0x70, 0x72, 0x00, 0x74, 0x81})
        Append(refused, Frame(status, {}));
    c.Add("exchange", "refusals", refused);

    Bytes raw(194, 0x00);
    const std::uint8_t europeanRoot[] = {0xFD, 0x45, 0x43, 0x20, 0x00, 0xFF, 0xFF, 0x01};
    std::copy(std::begin(europeanRoot), std::end(europeanRoot), raw.begin() + 186);
    c.Add("certificate", "names-european-root", raw);
    Bytes pair = raw;
    Append(pair, raw);
    c.Add("certificate", "pair", pair);
    Append(pair, Bytes(128, 0x01));
    Append(pair, Bytes{0x10, 0x20, 0x30});
    c.Add("certificate", "pair-signature", pair);
}

void SampleSeeds(Corpus& c, const fs::path& samples)
{
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(samples, ec))
        if (e.is_regular_file() && e.path().extension() == ".ddd")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());

    std::vector<TEntryParts> mixed;
    for (const fs::path& path : files) {
        const auto bytes = ReadFile(path);
        if (!bytes || bytes->empty())
            continue;
        const std::string stem = "sample-" + path.stem().string();
        std::vector<Bytes> containers;

        if (const auto overviewLength = OverviewOf(*bytes)) {
            // A VU download: the overview, its certificates and signature,
            // and the download packed with a shortened rest (the rest is only
            // stored, never read).
            const Bytes overview = Slice(*bytes, 0, *overviewLength);
            const Bytes block = Slice(overview, 2, overview.size() - 2);
            c.Add("overview", stem, block);
            // Whole, and cut to its overview and first days, for the block readers and the views.
            c.Add("vu-blocks", stem, *bytes);
            c.Add("views", stem, *bytes);
            c.Add("register", stem, *bytes);
            c.Add("vu-blocks", stem + "-first-days", Slice(*bytes, 0, std::min<std::size_t>(bytes->size(), 4096)));
            Bytes certificates = Slice(block, 0, 388);
            Append(certificates, Slice(block, block.size() - 128, 128));
            Append(certificates, Slice(block, 388, block.size() - 388 - 128));
            c.Add("certificate", stem + "-signed-overview", certificates);
            c.Add("certificate", stem + "-member-state", Slice(block, 0, 194));
            const Bytes rest = Slice(*bytes, *overviewLength, 4096);
            TEntryParts entry{{0xA1, overview}, {0xA2, rest}};
            containers.push_back(MakeContainer({entry}));
            if (mixed.size() < 2)
                mixed.push_back({{0xA1, overview}, {0xA2, Slice(rest, 0, 256)}});
        } else {
            // A driver card image.
            c.Add("card", stem, *bytes);
            c.Add("views", stem, *bytes);
            c.Add("register", stem, *bytes);
            const CardFiles parts = SplitCard(*bytes);
            const Bytes* memberState = parts.Data(0xC108);
            const Bytes* cardCertificate = parts.Data(0xC100);
            if (memberState && cardCertificate && memberState->size() == 194 && cardCertificate->size() == 194) {
                Bytes chain = *memberState;
                Append(chain, *cardCertificate);
                c.Add("certificate", stem + "-chain", chain);
                c.Add("certificate", stem + "-card", *cardCertificate);
                const Bytes* body = parts.Data(0x0520);
                const Bytes* signature = parts.Signature(0x0520);
                if (body && signature && signature->size() == 128) {
                    Append(chain, *signature);
                    Append(chain, *body);
                    c.Add("certificate", stem + "-signed-identification", chain);
                }
            }
            containers.push_back(MakeContainer({{{0xA7, *bytes}}}));
            containers.push_back(MakeContainer({CardViaVuEntry(*bytes)}));
            if (mixed.size() < 2)
                mixed.push_back({{0xA7, *bytes}});
            // The start of a download carrying this card, as the Vexa sends it.
            const Bytes packed = containers.front();
            Bytes frames;
            for (std::size_t at = 0; at < std::min<std::size_t>(packed.size(), 3 * 512); at += 512)
                Append(frames, Frame(0x00, Slice(packed, at, 512)));
            Append(frames, Frame(0x83, {}));
            c.Add("frame", stem + "-blocks", frames);
            c.Add("exchange", stem, Session(packed));
        }
        for (std::size_t i = 0; i < containers.size(); ++i) {
            const std::string name = stem + (i == 0 ? "" : "-via-vu");
            c.Add("validate", name, containers[i]);
            c.Add("store", name, containers[i]);
        }
    }
    if (mixed.size() > 1) {
        c.Add("validate", "sample-mixed", MakeContainer(mixed));
        c.Add("store", "sample-mixed", MakeContainer(mixed));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: pellkit-fuzz-seeds OUTDIR [SAMPLES_DIR]\n";
        return 2;
    }
    Corpus corpus{fs::path(argv[1])};
    BuiltSeeds(corpus);
    int built = corpus.Count();
    if (argc == 3 && fs::is_directory(argv[2]))
        SampleSeeds(corpus, argv[2]);
    std::cout << built << " built seeds, " << corpus.Count() - built << " from samples\n";
    return corpus.Ok() ? 0 : 1;
}
