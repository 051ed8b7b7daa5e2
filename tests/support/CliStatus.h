#pragma once
// The exit statuses pellkit-cli documents. Scripts rely on the numbers, so
// the tests spell them out instead of taking the program's own constants.

namespace pellkit::test::cli {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kDevice = 3;
constexpr int kData = 4;
constexpr int kStorage = 5;
constexpr int kCancelled = 6;

} // namespace pellkit::test::cli
