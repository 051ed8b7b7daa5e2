// Data files of a chosen size for the benchmarks: the entries of a packed
// data file (vexa-sim pack), taken in turn until the size is reached. The
// samples are read at bench time and the files made in a temporary folder.

#include "Bench.h"
#include "BenchSupport.h"

#include "ContainerBuilder.h"
#include "uContainer.h"

#include <cstdio>
#include <fstream>

int RunMakeData(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const std::string from = options.Text("from");
    const std::string out = options.Text("out");
    const auto want = static_cast<std::size_t>(options.Number("kb", 0)) * 1024;
    if (from.empty() || out.empty() || want == 0) {
        std::fprintf(stderr, "make-data: --from FILE --kb N --out FILE are required\n");
        return 2;
    }

    TMemoryStream stream(bench::ReadFile(from));
    std::uint8_t tag = 0;
    if (!ReadContainerTag(stream, tag) || tag != container::kDataFileTag) {
        std::fprintf(stderr, "make-data: %s is no data file\n", from.c_str());
        return 1;
    }
    ReadContainerLength(stream);
    std::vector<std::span<const std::uint8_t>> entries;
    while (stream.Remaining() > 0) {
        const std::size_t start = stream.Position();
        if (!ReadContainerTag(stream, tag) || tag != container::kEntryTag)
            break;
        const std::uint32_t length = ReadContainerLength(stream);
        if (length > stream.Remaining())
            break;
        stream.SetPosition(stream.Position() + length);
        entries.push_back(stream.Bytes().subspan(start, stream.Position() - start));
    }
    if (entries.empty()) {
        std::fprintf(stderr, "make-data: %s holds no entries\n", from.c_str());
        return 1;
    }

    pellkit::test::Bytes content;
    for (std::size_t i = 0; content.size() < want; i = (i + 1) % entries.size())
        content.insert(content.end(), entries[i].begin(), entries[i].end());
    const pellkit::test::Bytes file = pellkit::test::MakeElement(container::kDataFileTag, content);
    std::ofstream o(out, std::ios::binary | std::ios::trunc);
    o.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return o ? 0 : 1;
}
