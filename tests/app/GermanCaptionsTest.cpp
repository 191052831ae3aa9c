// Every window rendered with the shipped German translation: no English
// caption may be left (the face, its menus and tooltips, both setting
// dialogs, the About box, the items sent to Dravik Manager, the countdown).
#include "app/CKelvaneDlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QRegularExpression>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <algorithm>
#include <set>

#include "engine/CSensorItem.h"
#include "skin/CTransparentStatic.h"
#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"
#include "windows/CShutdownCountdown.h"

namespace {

using Captions = std::set<QString>;

void Collect(QWidget& root, Captions& captions)
{
    const auto add = [&](const QString& text) {
        if (!text.trimmed().isEmpty()) captions.insert(text);
    };
    add(root.windowTitle());
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* widget : widgets) {
        if (widget != &root && !widget->isVisibleTo(&root)) continue;
        add(widget->toolTip());
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) add(button->text());
        if (auto* label = qobject_cast<QLabel*>(widget)) add(label->text());
        if (auto* group = qobject_cast<QGroupBox*>(widget)) add(group->title());
        if (auto* text = qobject_cast<CTransparentStatic*>(widget)) add(text->Text());
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i) add(tabs->tabText(i));
        if (auto* menu = qobject_cast<QMenu*>(widget))
            for (const QAction* action : menu->actions()) add(action->text());
    }
}

// Runs open (which shows a modal dialog) and collects the dialog's captions
// before closing it.
void CollectModal(const std::function<void()>& open, Captions& captions, std::vector<QImage>* scales = nullptr)
{
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        Collect(*dialog, captions);
        if (scales)
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                if (label->objectName().startsWith("scale") && label->isVisibleTo(dialog))
                    scales->push_back(label->pixmap().toImage());
        qobject_cast<QDialog*>(dialog)->reject();
    });
    open();
}

struct SRendering {
    Captions captions;
    // Drawn over the skin's pictures: never readings nor names, so checked
    // without the exemptions the controls' texts need ("CH 1" has a digit).
    Captions faceCaptions;
    std::vector<QImage> scales;
    std::set<QString> itemNames;
};

SRendering Render(const std::string& languageCode)
{
    SRendering rendering;
    CTestProgram program;
    const std::filesystem::path before = std::filesystem::current_path();
    // The translation file is looked for in the current directory.
    std::filesystem::copy_file(CTestProgram::BuildProgramDirectory() + "/kelvaneDEU.ini",
                               program.File("kelvaneDEU.ini"));
    std::filesystem::current_path(program.Directory());
    {
        CKelvaneDlgSeams seams = program.WindowSeams();
        seams.languageCode = languageCode;
        CKelvaneDlg window(seams);
        EXPECT_TRUE(window.InitDialog());
        window.ShowDetail();
        window.show();
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i)
            rendering.itemNames.insert(QString::fromStdString(window.Engine().Item(i)->Name()));
        Captions& captions = rendering.captions;
        Collect(window, captions);
        for (const QString& caption : window.FaceCaptions()) rendering.faceCaptions.insert(caption);
        for (const QString& entry : window.Tray().MenuTexts()) captions.insert(entry);
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(10, 10), window.mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(&window, &menuKey);
        for (QMenu* menu : window.findChildren<QMenu*>()) {
            for (const QAction* action : menu->actions()) captions.insert(action->text());
            menu->close();
        }
        CollectModal([&] { window.OpenMonitorSetting(); }, captions, &rendering.scales);
        CollectModal([&] { window.OpenDisplaySetting(); }, captions);
        CollectModal([&] { window.ShowAbout(); }, captions);
        CollectModal([&] { window.OpenSuiteItems(); }, captions);
        CShutdownCountdown& box = window.Countdown();
        box.ShowCountdown(CHardwareMonitor::kFirstTemp, 30, QStringLiteral("CPU"), QStringLiteral("95.0 \u00B0C"));
        Collect(box, captions);
        box.ShowRefused(CHardwareMonitor::kFirstTemp, QStringLiteral("CPU"), QStringLiteral("95.0 \u00B0C"),
                        QStringLiteral("inhibited"));
        Collect(box, captions);
        box.Dismiss();
    }
    std::filesystem::current_path(before);
    return rendering;
}

// The German file's captions that read the same in both languages
// ("OK=OK", "Fahrenheit=Fahrenheit").
std::set<QString> SameInBothLanguages()
{
    std::set<QString> same;
    std::ifstream in(CTestProgram::BuildProgramDirectory() + "/kelvaneDEU.ini");
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && line.substr(0, eq) == line.substr(eq + 1))
            same.insert(QString::fromStdString(line.substr(0, eq)));
    }
    return same;
}

TEST(GermanCaptions, EveryWindowRenderedInGermanLeavesNoEnglishCaption)
{
    QtTestApplication();
    const SRendering english = Render("");
    const SRendering german = Render("DEU");
    ASSERT_GT(english.captions.size(), 40u);
    const std::set<QString> same = SameInBothLanguages();
    const std::set<QString> neutral = {"Kelvane", "V", "RPM", "\u00B0C", "\u00B0F", "OFF", "\u21BA"};
    for (const QString& caption : german.captions) {
        if (!english.captions.count(caption)) continue;
        // Readings, names (whole or cut short) and units are data, not
        // captions.
        const QString uncut = caption.endsWith(QChar(0x2026)) ? caption.chopped(1) : caption;
        const bool itemName = std::any_of(english.itemNames.begin(), english.itemNames.end(),
                                          [&](const QString& name) { return name == caption || (uncut != caption && name.startsWith(uncut)); });
        if (caption.contains(QRegularExpression("\\d")) || itemName || neutral.count(caption) || same.count(caption))
            continue;
        ADD_FAILURE() << "English caption in the German window: " << caption.toStdString();
    }
    // The title line, wells, rails and the panels' channel and graph words.
    ASSERT_GE(english.faceCaptions.size(), 10u);
    for (const QString& caption : german.faceCaptions)
        if (english.faceCaptions.count(caption) && !neutral.count(caption) && !same.count(caption))
            ADD_FAILURE() << "English caption on the German face: " << caption.toStdString();
    // The words of the scale pictures are drawn in the language too.
    ASSERT_EQ(english.scales.size(), german.scales.size());
    ASSERT_FALSE(german.scales.empty());
    for (std::size_t i = 0; i < german.scales.size(); ++i) EXPECT_NE(english.scales[i], german.scales[i]) << i;
}

}  // namespace
