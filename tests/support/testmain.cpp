// Test main: an offscreen Qt application, user folders and the temporary folder inside a
// throw-away directory, and a recording message presenter.

#include "tests/support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "TEMP"}) {
        const QString folder = home.path() + u'/' + QString::fromLatin1(name).toLower();
        QDir().mkpath(folder);
        qputenv(name, QFile::encodeName(folder));
    }
    qputenv("BROWSER", "true");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    Lorvantic::SetMessagePresenter(&Lorvantic::Test::presenter());
    return RUN_ALL_TESTS();
}
