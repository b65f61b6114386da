// The dialog tests run without a screen unless a platform is chosen explicitly, so they work
// in CI and under ctest. The texts are the program's: its English plural forms are installed.
#include "ui/tunvale_app.h"

#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    tunvale::ui::installTranslation(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
