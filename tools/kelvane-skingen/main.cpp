// kelvane-skingen OUTDIR: draws every bitmap of the skin into OUTDIR/<id>.png.
// Runs without a display; the build runs it to fill the program directory's
// skin/ folder.

#include "tools/kelvane-skingen/CSkinGenerator.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Text needs a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: kelvane-skingen OUTDIR\n");
        return 2;
    }
    CSkinGenerator generator;
    QString failed;
    if (!generator.WriteAll(args.at(1), &failed)) {
        std::fprintf(stderr, "kelvane-skingen: cannot write %s\n", qPrintable(failed));
        return 1;
    }
    return 0;
}
