// kelvane-gallery OUTDIR [SKINDIR]: renders the skin as the program shows it,
// headless, into PNG files in OUTDIR. SKINDIR defaults to the skin/ folder of
// the program directory (the folder this program lives in).

#include "tools/kelvane-gallery/CControlSheet.h"
#include "tools/kelvane-gallery/CGalleryWindow.h"
#include "tools/kelvane-gallery/CSkinComposer.h"

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include "skin/CSkinLibrary.h"

#include <QDir>
#include <QApplication>

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
    QApplication app(argc, argv);
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
    // The same with the skin's own controls, as the program lays them out.
    const CSkinLibrary library(skin);
    using ButtonState = CGalleryWindow::ButtonState;
    struct Shot {
        bool expanded;
        bool graphs;
        ButtonState state;
        bool alarm;
        const char* file;
    };
    const Shot shots[] = {
        {false, false, ButtonState::Normal, false, "face-compact.png"},
        {true, false, ButtonState::Normal, false, "face-expanded.png"},
        {true, true, ButtonState::Normal, false, "face-expanded-graphs.png"},
        {false, false, ButtonState::Normal, true, "face-compact-alarm.png"},
        {false, false, ButtonState::Hover, false, "face-compact-hover.png"},
        {false, false, ButtonState::Pressed, false, "face-compact-pressed.png"},
        {true, false, ButtonState::Disabled, false, "face-expanded-disabled.png"},
    };
    for (const Shot& shot : shots) {
        CGalleryWindow window(library, shot.expanded, shot.graphs);
        window.SetButtonState(shot.state);
        if (shot.alarm)
            window.ShowAlarm();
        ok &= Save(window.Render(), out, QString::fromLatin1(shot.file));
    }
    CControlSheet sheet(library);
    ok &= Save(sheet.Render(), out, QStringLiteral("controls.png"));
    ok &= Save(composer.ButtonSheet(), out, QStringLiteral("buttons.png"));
    ok &= Save(composer.DialogSheet(), out, QStringLiteral("dialog-pictures.png"));
    return ok ? 0 : 1;
}
