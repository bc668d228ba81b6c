// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline for the start-up bench: the smallest Qt Widgets program that
// shows a window.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(425, 468);
    window.show();
    return QApplication::exec();
}
