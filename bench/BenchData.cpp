// Data files of a chosen size for the benchmarks: the entries of a packed
// data file (vexa-sim pack), taken in turn until the size is reached. The
// samples are read at bench time and the files made in a temporary folder.

#include "Bench.h"
#include "BenchSupport.h"

#include "ContainerBuilder.h"
#include "uContainerSplit.h"

#include <cstdio>
#include <fstream>

using pellkit::test::Bytes;
using pellkit::test::MakeElement;

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

    const Bytes data = bench::ReadFile(from);
    const TContainerSplit split = SplitContainer(data);
    if (split.stop == TSplitStop::NoDataFileTag) {
        std::fprintf(stderr, "make-data: %s is no data file\n", from.c_str());
        return 1;
    }
    // Whole entries only: a damaged one ends the list.
    std::vector<std::span<const std::uint8_t>> entries;
    for (const TContainerEntry& entry : split.entries) {
        if (entry.stop != TSplitStop::None)
            break;
        entries.push_back(std::span<const std::uint8_t>(data).subspan(entry.offset, entry.end - entry.offset));
    }
    if (entries.empty()) {
        std::fprintf(stderr, "make-data: %s holds no entries\n", from.c_str());
        return 1;
    }

    Bytes content;
    for (std::size_t i = 0; content.size() < want; i = (i + 1) % entries.size())
        content.insert(content.end(), entries[i].begin(), entries[i].end());
    const Bytes file = MakeElement(container::kDataFileTag, content);
    std::ofstream o(out, std::ios::binary | std::ios::trunc);
    o.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return o ? 0 : 1;
}
