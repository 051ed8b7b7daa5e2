#pragma once
// Real tachograph downloads for the tests that need them. They live outside
// the repository; tests skip with a clear message when the folder is absent.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pellkit::test {

inline std::filesystem::path SamplesDir()
{
    if (const char* env = std::getenv("PELLKIT_SAMPLES"); env && *env)
        return env;
    return PELLKIT_DEFAULT_SAMPLES;
}

inline bool HaveSample(const std::string& name)
{
    return std::filesystem::is_regular_file(SamplesDir() / name);
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace pellkit::test

// Reads sample NAME into VAR, or skips the test when it is not there.
#define PELLKIT_REQUIRE_SAMPLE(VAR, NAME)                                                      \
    if (!::pellkit::test::HaveSample(NAME))                                                    \
        GTEST_SKIP() << "sample " << (NAME) << " not found in "                                \
                     << ::pellkit::test::SamplesDir() << " (set PELLKIT_SAMPLES)";              \
    const std::vector<std::uint8_t> VAR = ::pellkit::test::ReadFileBytes(::pellkit::test::SamplesDir() / (NAME))
