// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up benchmark's reference: the least a Qt program must do to put a window like the
// splash on screen. Same kind of window (frameless, fixed size, no task-bar button, centred, one
// colour), same size, built with the same flags; nothing drawn in it. With --caption it shows one
// line of text in the default font.
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    // The splash's client area and its own two-pixel frame.
    window.setFixedSize(330 + 4, 224 + 4);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 0xc0));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    if (argc > 1 && qstrcmp(argv[1], "--caption") == 0)
        new QLabel(QStringLiteral("Zumbarel"), &window);
    window.show();
    return QApplication::exec();
}
