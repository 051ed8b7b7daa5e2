#pragma once
// The link keeps its state module-wide (one assembler, one read loop, one
// cancel flag, the limits), as the program needs it. Tests share one
// process, so every test that drives the link starts and ends with that
// state as the program starts with it, whatever order the tests run in.
//
//   class MyTest : public pellkit::test::LinkTest { ... };   // a fixture
//   pellkit::test::TFreshLink fresh;                         // anywhere else

#include "uArdoVexa.h"

#include <gtest/gtest.h>

namespace pellkit::test {

class TFreshLink {
public:
    TFreshLink() { ResetLinkState(); }
    ~TFreshLink() { ResetLinkState(); }
    TFreshLink(const TFreshLink&) = delete;
    TFreshLink& operator=(const TFreshLink&) = delete;
};

// Reset before SetUp and after TearDown, so derived fixtures need not call it.
class LinkTest : public ::testing::Test {
private:
    TFreshLink fresh_;
};

} // namespace pellkit::test
