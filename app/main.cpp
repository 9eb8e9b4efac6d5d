// kavenor: without arguments the connection dialog, with arguments the command line.

#include "app/commandline.h"
#include "automation/metaselmain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>

int main(int argc, char** argv) {
    if (argc > 1) {
        // The command line needs no display: no QApplication.
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("kavenor"));
        return Lorvantic::Cli::Run(QCoreApplication::arguments().mid(1));
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kavenor"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kavenor.svg")));
    Lorvantic::MetaSelMain().StartReport();
    return 0;
}
