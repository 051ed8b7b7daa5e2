// One QApplication for all window tests, offscreen, with settings and data
// folders of this run only.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    std::string home = (std::filesystem::temp_directory_path() / "pellkit-ui-XXXXXX").string();
    if (!::mkdtemp(home.data()))
        return 2;
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Morvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Pellkit"));
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return rc;
}
