#include "app/HeapTrim.h"
#include "app/NumberingApp.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
    quorvel::LimitRetainedHeap();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(quorvel::kAppName));

    // The standard buttons of message boxes and the folder chooser in the user's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    quorvel::QtMessageBox messageBox;
    quorvel::CNumberingApp app(messageBox);
    app.InitInstance();
    return app.ExitInstance();
}
