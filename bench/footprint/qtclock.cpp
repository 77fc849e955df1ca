// The minimal Qt Widgets clock: one label showing the time, updated by a 1 s timer. The
// footprint script measures Veludor against it as the floor for any Qt program.
#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication App(argc, argv);
    QLabel Label;
    Label.setWindowTitle(QStringLiteral("Horloge Qt"));
    const auto Show = [&Label] { Label.setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); };
    Show();
    QTimer Timer;
    QObject::connect(&Timer, &QTimer::timeout, &Label, Show);
    Timer.start(1000);
    Label.show();
    return App.exec();
}
