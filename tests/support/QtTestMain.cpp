// The main of every test binary that uses Qt: one QCoreApplication for the
// whole run, made before any test, so that the program finds what lies
// beside its executable (the catalogue) exactly as it does in use, whatever
// the working directory and whatever order the tests run in.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
