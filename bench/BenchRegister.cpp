// The register over a folder of archives: the first run reads every file,
// the second finds them all in its cache. The goal is the second run under
// 3 s for 10,000 archives.
//
//   register [--archives N] [--samples DIR]
//
// The archives are made-up (8 in 10 driver cards, 2 in 10 VU downloads), or
// with --samples copies of the real downloads there in turn, whose
// certificates and signatures make the first run's verification real.

#include "Bench.h"
#include "BenchSupport.h"

#include "CardImageBuilder.h"
#include "VuBlockBuilder.h"
#include "uRegister.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using pellkit::test::Bytes;

// 2020-07-20 00:00 UTC.
constexpr std::uint32_t kToday = 1595203200;

// A card about as long as a real one (26 KB), its own number and download time.
Bytes Card(int index)
{
    char number[17];
    std::snprintf(number, sizeof number, "ES%014d", index);
    return pellkit::test::MakeCardImage(pellkit::test::TCardFields{}
                                            .Number(number)
                                            .LastDownload(kToday - static_cast<std::uint32_t>(index % 40) * 86400)
                                            .PadTo(26 * 1024));
}

// An overview and a week of activities of its own vehicle.
Bytes Vu(int index)
{
    char vin[18];
    std::snprintf(vin, sizeof vin, "VIN%014d", index);
    Bytes download = pellkit::test::MakeOverviewResponse(0x0D, "B " + std::to_string(index), vin,
                                                         kToday - static_cast<std::uint32_t>(index % 120) * 86400);
    for (int day = 0; day < 7; ++day) {
        const Bytes data = pellkit::test::ActivitiesData(
            {.day = pellkit::test::kDay + static_cast<std::uint32_t>(day) * 86400,
             .changes = {pellkit::test::ActivityChange(0, false, false, pellkit::test::kDriving, 360),
                         pellkit::test::ActivityChange(0, false, false, pellkit::test::kBreakRest, 600)},
             .places = 2});
        pellkit::test::Append(download, pellkit::test::MakeTransferResponse(0x02, data));
    }
    return download;
}

} // namespace

int RunRegister(int argc, char** argv)
{
    const bench::Options options(argc, argv, 2);
    const int archives = static_cast<int>(options.Number("archives", 10000));
    const bench::TempDir dir;
    const auto folder = dir.Path() / "archives";
    std::filesystem::create_directories(folder);

    std::vector<Bytes> samples;
    if (options.Has("samples")) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(options.Text("samples"), ec))
            if (entry.path().extension() == ".ddd")
                samples.push_back(bench::ReadFile(entry.path()));
        if (samples.empty())
            std::fprintf(stderr, "register: no .ddd files in %s: made-up archives\n", options.Text("samples").c_str());
    }

    std::uintmax_t bytes = 0;
    for (int i = 0; i < archives; ++i) {
        const bool vu = i % 5 == 4;
        const Bytes data = !samples.empty() ? samples[static_cast<std::size_t>(i) % samples.size()] : vu ? Vu(i) : Card(i);
        std::ofstream out(folder / ("A_" + std::to_string(i) + ".DDD"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        bytes += data.size();
    }
    std::fprintf(stderr, "register: %d archives (%s), %.1f MB\n", archives, samples.empty() ? "made-up" : "samples",
                 static_cast<double>(bytes) / 1e6);

    reg::TRegisterOptions run;
    run.cacheFile = dir.Path() / "cache" / "register.db";
    run.today = kToday;
    const auto timed = [&](reg::TRegister& result) {
        const auto start = bench::Clock::now();
        result = reg::BuildRegister({folder}, run);
        return bench::Seconds(bench::Clock::now() - start);
    };
    reg::TRegister first;
    reg::TRegister second;
    const double firstSeconds = timed(first);
    const double secondSeconds = timed(second);
    if (second.filesCached != static_cast<std::size_t>(archives) || second.rows.size() != first.rows.size()) {
        bench::Row("Register", "second run", "the cache did not answer for every file");
        return 1;
    }
    const std::string what = std::to_string(archives) + (samples.empty() ? " made-up" : " sample") + " archives";
    bench::Row("Register", what + ", first run (every file read)", bench::Fixed(firstSeconds, 2) + " s");
    bench::Row("Register", what + ", second run (from the cache)", bench::Fixed(secondSeconds, 2) + " s", "< 3 s",
               bench::Verdict(archives < 10000 || secondSeconds < 3.0));
    bench::Row("Register", what + ", second run / first run",
               bench::Fixed(secondSeconds / std::max(firstSeconds, 1e-9), 3));
    return 0;
}
