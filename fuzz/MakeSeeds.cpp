// Writes the starting corpora of the fuzz targets:
//
//   pellkit-fuzz-seeds OUTDIR [SAMPLES_DIR]
//
// OUTDIR/<target>/ gets small cases built here, and, when SAMPLES_DIR holds
// real downloads, cases made from them: card images, overview blocks, their
// certificates and data files packed from them. Those stay in the build
// folder; they hold real people's data.
//
// Plain C++ on purpose: it needs none of the instrumented libraries.

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

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- byte helpers -----------------------------------------------------------

void Put(Bytes& out, std::initializer_list<std::uint8_t> bytes) { out.insert(out.end(), bytes); }
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void PutWord(Bytes& out, std::uint32_t v) { Put(out, {std::uint8_t(v >> 8), std::uint8_t(v)}); }
void PutLong(Bytes& out, std::uint32_t v)
{
    Put(out, {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}
void PutText(Bytes& out, const std::string& text, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(i < text.size() ? std::uint8_t(text[i]) : std::uint8_t(' '));
}
void PutName(Bytes& out, const std::string& text)
{
    out.push_back(0x01);
    PutText(out, text, 35);
}
void PutFill(Bytes& out, std::size_t n, std::uint8_t first)
{
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(std::uint8_t(first + i));
}
Bytes Slice(const Bytes& b, std::size_t from, std::size_t n)
{
    from = std::min(from, b.size());
    n = std::min(n, b.size() - from);
    return Bytes(b.begin() + std::ptrdiff_t(from), b.begin() + std::ptrdiff_t(from + n));
}

// ---- data file container ------------------------------------------------------

Bytes Length(std::size_t n)
{
    if (n < 0x80)
        return {std::uint8_t(n)};
    Bytes digits;
    for (std::size_t v = n; v != 0; v >>= 8)
        digits.insert(digits.begin(), std::uint8_t(v));
    digits.insert(digits.begin(), std::uint8_t(0x80 | digits.size()));
    return digits;
}

Bytes Element(std::uint8_t tag, const Bytes& content)
{
    Bytes out{tag};
    Append(out, Length(content.size()));
    Append(out, content);
    return out;
}

using Part = std::pair<std::uint8_t, Bytes>;
using Entry = std::vector<Part>;

Bytes Container(const std::vector<Entry>& entries)
{
    Bytes body;
    for (const Entry& entry : entries) {
        Bytes parts;
        for (const auto& [tag, content] : entry)
            Append(parts, Element(tag, content));
        Append(body, Element(0xF1, parts));
    }
    return Element(0xF0, body);
}

Bytes Prefixed(std::initializer_list<std::uint8_t> head, const Bytes& rest)
{
    Bytes out(head);
    Append(out, rest);
    return out;
}

// ---- Vexa frames ------------------------------------------------------------------

Bytes Frame(std::uint8_t code, const Bytes& data)
{
    Bytes f{0x02, 0x61, 0x00};
    PutWord(f, std::uint32_t(data.size() + 1));
    f.push_back(code);
    Append(f, data);
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

// ---- driver card images -------------------------------------------------------------

void File(Bytes& out, std::uint16_t fid, std::uint8_t kind, const Bytes& body)
{
    PutWord(out, fid);
    out.push_back(kind);
    PutWord(out, std::uint32_t(body.size()));
    Append(out, body);
}

void SignedFile(Bytes& out, std::uint16_t fid, const Bytes& body)
{
    File(out, fid, 0, body);
    Bytes signature;
    PutFill(signature, 128, std::uint8_t(fid));
    File(out, fid, 1, signature);
}

Bytes ActivityRing(std::size_t length)
{
    // Two days: at 0 with two changes, at 16 with one; the rest unused.
    Bytes ring;
    PutWord(ring, 0);
    PutWord(ring, 16);
    PutLong(ring, 1705276800);
    PutWord(ring, 1);
    PutWord(ring, 120);
    PutWord(ring, 0x0000);
    PutWord(ring, 0x1800);
    PutWord(ring, 16);
    PutWord(ring, 14);
    PutLong(ring, 1705363200);
    PutWord(ring, 2);
    PutWord(ring, 80);
    PutWord(ring, 0x2000);
    ring.resize(length, 0);
    Bytes body;
    PutWord(body, 0);
    PutWord(body, 16);
    Append(body, ring);
    return body;
}

struct Counts {
    std::uint8_t events = 1;
    std::uint8_t faults = 1;
    std::uint16_t activity = 64;
    std::uint16_t vehicles = 2;
    std::uint8_t places = 2;
};

Bytes CardImage(const Counts& c, bool full)
{
    Bytes image;
    Bytes icc;
    PutFill(icc, 25, 0x10);
    SignedFile(image, 0x0002, icc);
    Bytes ic;
    PutFill(ic, 8, 0x20);
    File(image, 0x0005, 0, ic);

    Bytes application;
    Put(application, {0x01});
    PutWord(application, 0x0100);
    Put(application, {c.events, c.faults});
    PutWord(application, c.activity);
    PutWord(application, c.vehicles);
    application.push_back(c.places);
    SignedFile(image, 0x0501, application);

    Bytes identification;
    identification.push_back(0x11);
    PutText(identification, "F0000000000001", 16);
    PutName(identification, "FUZZ CARD AUTHORITY");
    PutLong(identification, 1672531200);
    PutLong(identification, 1672531200);
    PutLong(identification, 1830297600);
    PutName(identification, "EXAMPLE");
    PutName(identification, "SAMPLE HOLDER");
    Put(identification, {0x19, 0x70, 0x01, 0x01});
    PutText(identification, "en", 2);
    SignedFile(image, 0x0520, identification);

    Bytes download;
    PutLong(download, 1705307400);
    File(image, 0x050E, 0, download);
    if (!full)
        return image;

    Bytes licence;
    PutName(licence, "LICENCE AUTHORITY");
    licence.push_back(0x11);
    PutText(licence, "L0000001", 16);
    SignedFile(image, 0x0521, licence);

    Bytes events;
    for (int i = 0; i < 6 * c.events; ++i) {
        events.push_back(std::uint8_t(i + 1));
        PutLong(events, 1705000000 + std::uint32_t(i));
        PutLong(events, 1705000600 + std::uint32_t(i));
        events.push_back(0x11);
        events.push_back(0x01);
        PutText(events, "AB123", 13);
    }
    SignedFile(image, 0x0502, events);
    Bytes faults(std::size_t(2 * c.faults * 24), 0x07);
    SignedFile(image, 0x0503, faults);

    SignedFile(image, 0x0504, ActivityRing(c.activity));

    Bytes vehicles;
    PutWord(vehicles, 1);
    for (int i = 0; i < c.vehicles; ++i) {
        PutFill(vehicles, 6, std::uint8_t(i));
        PutLong(vehicles, 1705000000);
        PutLong(vehicles, 1705100000);
        vehicles.push_back(0x11);
        vehicles.push_back(0x01);
        PutText(vehicles, "AB 123 CD", 13);
        PutWord(vehicles, std::uint32_t(i));
    }
    SignedFile(image, 0x0505, vehicles);

    Bytes places{0x00};
    for (int i = 0; i < c.places; ++i) {
        PutLong(places, 1705000000 + std::uint32_t(i));
        Put(places, {0x01, 0x11, 0x00, 0x00, 0x10, 0x00});
    }
    SignedFile(image, 0x0506, places);

    Bytes current;
    PutLong(current, 1705300000);
    current.push_back(0x11);
    current.push_back(0x01);
    PutText(current, "AB 123 CD", 13);
    SignedFile(image, 0x0507, current);

    Bytes control(46, 0x00);
    control[0] = 0x80;
    SignedFile(image, 0x0508, control);

    Bytes conditions;
    for (int i = 0; i < 56; ++i) {
        PutLong(conditions, i < 2 ? 1705000000 + std::uint32_t(i) : 0);
        conditions.push_back(i < 2 ? 0x01 : 0x00);
    }
    SignedFile(image, 0x0522, conditions);

    Bytes certificate;
    PutFill(certificate, 194, 0x40);
    File(image, 0xC100, 0, certificate);
    File(image, 0xC108, 0, certificate);
    return image;
}

// ---- VU overview ------------------------------------------------------------------

// The overview after its 76h 01h.
Bytes Overview(int locks, int controls)
{
    Bytes b;
    PutFill(b, 388, 0x30);
    PutText(b, "WDB0000000FUZZ001", 17);
    b.push_back(0x0D);
    b.push_back(0x01);
    PutText(b, "AB 123 CD", 13);
    PutLong(b, 1705307400);
    PutLong(b, 1700000000);
    PutLong(b, 1705300000);
    b.push_back(0x21);
    PutLong(b, 1705000000);
    Put(b, {0x04, 0x0D});
    PutText(b, "W0000000000001", 16);
    PutName(b, "WORKSHOP");
    b.push_back(std::uint8_t(locks));
    for (int i = 0; i < locks; ++i) {
        PutLong(b, 1700000000);
        PutLong(b, 0);
        PutName(b, "COMPANY");
        PutName(b, "STREET");
        Put(b, {0x03, 0x0D});
        PutText(b, "K000000000000" + std::to_string(i), 16);
    }
    b.push_back(std::uint8_t(controls));
    for (int i = 0; i < controls; ++i) {
        b.push_back(0x80);
        PutLong(b, 1704000000);
        Put(b, {0x02, 0x0D});
        PutText(b, "E000000000000" + std::to_string(i), 16);
        PutLong(b, 1703000000);
        PutLong(b, 1704000000);
    }
    PutFill(b, 128, 0x90);
    return b;
}

// Length of the overview at the start of a VU download, 76h 01h included.
std::optional<std::size_t> OverviewLength(const Bytes& d)
{
    constexpr std::size_t kLocksAt = 2 + 491;
    if (d.size() <= kLocksAt || d[0] != 0x76 || d[1] != 0x01)
        return std::nullopt;
    const std::size_t controlsAt = kLocksAt + 1 + 98 * std::size_t(d[kLocksAt]);
    if (d.size() <= controlsAt)
        return std::nullopt;
    const std::size_t length = 2 + 621 + 98 * std::size_t(d[kLocksAt]) + 31 * std::size_t(d[controlsAt]);
    if (d.size() < length)
        return std::nullopt;
    return length;
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
    const Counts small;
    const Bytes card = CardImage(small, true);
    const Bytes cardQuick = CardImage(small, false);
    const Bytes zeroCounts = CardImage(Counts{0, 0, 0, 0, 0}, true);
    const Bytes overview = Overview(1, 1);

    c.Add("card", "full", card);
    c.Add("card", "identification-only", cardQuick);
    c.Add("card", "zero-counts", zeroCounts);
    c.Add("card", "more-records", CardImage(Counts{3, 2, 200, 5, 4}, true));

    c.Add("overview", "one-lock-one-control", overview);
    c.Add("overview", "no-locks", Overview(0, 0));
    c.Add("overview", "three-locks-two-controls", Overview(3, 2));

    const Bytes vuResponse = Prefixed({0x76, 0x02}, Bytes(300, 0x5A));
    const Bytes overviewPart = Prefixed({0x76, 0x01}, overview);
    c.Add("validate", "card", Container({{{0xA7, card}}}));
    c.Add("validate", "card-via-vu", Container({{{0xA6, Prefixed({0x76, 0x06}, card)}}}));
    c.Add("validate", "vu", Container({{{0xA1, overviewPart}, {0xA2, vuResponse}}}));
    c.Add("validate", "vu-speed", Container({{{0xA1, overviewPart}, {0xA8, Bytes(60, 0x33)}}}));
    c.Add("validate", "mixed", Container({{{0xA7, cardQuick}}, {{0xA1, overviewPart}, {0xA3, vuResponse}}, {}}));
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, Bytes>>{
             {"card", Container({{{0xA7, card}}})},
             {"card-via-vu", Container({{{0xA6, Prefixed({0x76, 0x06}, cardQuick)}}})},
             {"vu", Container({{{0xA1, overviewPart}, {0xA2, vuResponse}, {0xA5, Bytes{0x76, 0x05}}}})},
             {"vu-speed", Container({{{0xA1, overviewPart}, {0xA8, Bytes(60, 0x33)}}})},
             {"two-cards", Container({{{0xA7, cardQuick}}, {{0xA7, zeroCounts}}})},
             {"repeated-vu-response", Container({{{0xA2, Bytes{0x76, 0x02, 0x01}}}, {{0xA2, Bytes{0x76, 0x02, 0x02}}}})},
         })
        c.Add("store", name, bytes);

    c.Add("frame", "request", Frame(0x81, {}));
    c.Add("frame", "handshake-answer", Frame(0x00, {0x12, 0x34, 0x56, 0x78}));
    c.Add("frame", "end-of-file", Frame(0x83, {}));
    Bytes twoFrames = Frame(0x00, Slice(Container({{{0xA7, cardQuick}}}), 0, 200));
    Append(twoFrames, Frame(0x83, {}));
    c.Add("frame", "block-then-end", twoFrames);
    Bytes noise{0x55, 0x02, 0x00};
    Append(noise, Frame(0x00, {0x01}));
    c.Add("frame", "noise-before", noise);
    Bytes badChecksum = Frame(0x00, {0x01, 0x02});
    badChecksum[badChecksum.size() - 2] ^= 0xFF;
    c.Add("frame", "bad-checksum", badChecksum);
    c.Add("frame", "length-zero", Bytes{0x02, 0x61, 0x00, 0x00, 0x00, 0x61, 0x03});

    c.Add("exchange", "card", Session(Container({{{0xA7, cardQuick}}})));
    c.Add("exchange", "vu", Session(Container({{{0xA1, overviewPart}, {0xA2, vuResponse}}})));
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

    std::vector<Entry> mixed;
    for (const fs::path& path : files) {
        const auto bytes = ReadFile(path);
        if (!bytes || bytes->empty())
            continue;
        const std::string stem = "sample-" + path.stem().string();
        std::vector<Bytes> containers;

        if (const auto overviewLength = OverviewLength(*bytes)) {
            // A VU download: the overview, its certificates and signature,
            // and the download packed with a shortened rest (the rest is only
            // stored, never read).
            const Bytes overview = Slice(*bytes, 0, *overviewLength);
            const Bytes block = Slice(overview, 2, overview.size() - 2);
            c.Add("overview", stem, block);
            Bytes certificates = Slice(block, 0, 388);
            Append(certificates, Slice(block, block.size() - 128, 128));
            Append(certificates, Slice(block, 388, block.size() - 388 - 128));
            c.Add("certificate", stem + "-signed-overview", certificates);
            c.Add("certificate", stem + "-member-state", Slice(block, 0, 194));
            const Bytes rest = Slice(*bytes, *overviewLength, 4096);
            Entry entry{{0xA1, overview}, {0xA2, rest}};
            containers.push_back(Container({entry}));
            if (mixed.size() < 2)
                mixed.push_back({{0xA1, overview}, {0xA2, Slice(rest, 0, 256)}});
        } else {
            // A driver card image.
            c.Add("card", stem, *bytes);
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
            containers.push_back(Container({{{0xA7, *bytes}}}));
            containers.push_back(Container({{{0xA6, Prefixed({0x76, 0x06}, *bytes)}}}));
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
        c.Add("validate", "sample-mixed", Container(mixed));
        c.Add("store", "sample-mixed", Container(mixed));
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
