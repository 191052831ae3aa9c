// The floor for an idle desktop window: a bare label whose text changes
// every 2.5 s, as the monitor's face does at each tick. scripts/idle-cost.sh
// runs it beside the main window and compares their processor time.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QLabel label;
    label.setMinimumSize(240, 40);
    const auto show = [&label] { label.setText(QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"))); };
    show();
    label.show();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, show);
    timer.start(2500);
    return application.exec();
}
