// kelvane-skingen OUTDIR [ICONDIR]: draws every bitmap of the skin into
// OUTDIR/<id>.png, and with ICONDIR the program icon at the hicolor theme's
// sizes into ICONDIR/<N>x<N>/apps/kelvane.png. Runs without a display; the
// build runs it to fill the program directory's skin/ folder.

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
    if (args.size() != 2 && args.size() != 3) {
        std::fprintf(stderr, "usage: kelvane-skingen OUTDIR [ICONDIR]\n");
        return 2;
    }
    CSkinGenerator generator;
    QString failed;
    if (!generator.WriteAll(args.at(1), &failed) ||
        (args.size() == 3 && !generator.WriteIcons(args.at(2), &failed))) {
        std::fprintf(stderr, "kelvane-skingen: cannot write %s\n", qPrintable(failed));
        return 1;
    }
    return 0;
}
