#include "app/fonts.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellarin"));
    // The exit sequence ends the program, whichever window closes last.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    ProgramStart();
    return app.exec();
}
