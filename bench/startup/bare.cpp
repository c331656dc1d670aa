// The yardstick for the program's start-up: a bare Qt Widgets + Multimedia
// program with a sound effect and one window, a label sized to its text (a
// window with text must load the fonts before it is mapped, as the program's
// menu bar does).
#include <QApplication>
#include <QLabel>
#include <QSoundEffect>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QSoundEffect effect;
    QLabel window(QStringLiteral("Zorvu Timer"));
    window.show();
    return app.exec();
}
