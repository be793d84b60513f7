// main() for tests that need a QApplication: offscreen unless a platform was chosen.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Set and empty: a main window shown in a test downloads no song list from the web.
    if (!qEnvironmentVariableIsSet("CHORVANE_SONG_LIST_ADDRESS")) qputenv("CHORVANE_SONG_LIST_ADDRESS", "");
    // Nor an advert page.
    if (!qEnvironmentVariableIsSet("CHORVANE_ADVERT_ADDRESS")) qputenv("CHORVANE_ADVERT_ADDRESS", "");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
