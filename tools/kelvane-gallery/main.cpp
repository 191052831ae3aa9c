// kelvane-gallery OUTDIR [SKINDIR]: renders the skin as the program shows it,
// headless, into PNG files in OUTDIR. SKINDIR defaults to the skin/ folder of
// the program directory (the folder this program lives in).

#include "tools/kelvane-gallery/CSkinComposer.h"

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& directory, const QString& name)
{
    const QString path = QDir(directory).filePath(name);
    if (image.isNull() || !image.save(path, "PNG")) {
        std::fprintf(stderr, "kelvane-gallery: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: kelvane-gallery OUTDIR [SKINDIR]\n");
        return 2;
    }
    const QString out = args.at(1);
    const QString skin = args.size() == 3 ? args.at(2)
                                          : QDir(QCoreApplication::applicationDirPath())
                                                .filePath(QStringLiteral("skin"));
    CSkinComposer composer(skin);
    QList<int> ids;
    for (const skinart::SkinBitmap& b : skinart::kSkinBitmaps)
        ids.append(b.id);
    const QList<int> missing = composer.MissingIds(ids);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "kelvane-gallery: %lld skin pictures missing in %s (first: %d)\n",
                     static_cast<long long>(missing.size()), qPrintable(skin), missing.first());
        return 1;
    }
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "kelvane-gallery: cannot create %s\n", qPrintable(out));
        return 1;
    }
    using State = CSkinComposer::State;
    bool ok = true;
    ok &= Save(composer.Face(false), out, QStringLiteral("outline-compact.png"));
    ok &= Save(composer.Face(true), out, QStringLiteral("outline-expanded.png"));
    ok &= Save(composer.Window(false, State::Normal, false), out,
               QStringLiteral("window-compact.png"));
    ok &= Save(composer.Window(true, State::Normal, false), out,
               QStringLiteral("window-expanded-numbers.png"));
    ok &= Save(composer.Window(true, State::Normal, true), out,
               QStringLiteral("window-expanded-graphs.png"));
    ok &= Save(composer.Window(false, State::Hover, false), out,
               QStringLiteral("window-compact-hover.png"));
    ok &= Save(composer.Window(false, State::Pressed, false), out,
               QStringLiteral("window-compact-pressed.png"));
    ok &= Save(composer.Window(false, State::Disabled, false), out,
               QStringLiteral("window-compact-disabled.png"));
    ok &= Save(composer.ButtonSheet(), out, QStringLiteral("buttons.png"));
    ok &= Save(composer.DialogSheet(), out, QStringLiteral("dialog-pictures.png"));
    return ok ? 0 : 1;
}
