#include <QApplication>

#include "app/form1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Lets a desktop match the window to its menu entry (and icon), on Wayland too.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.torvel.Torvel"));
    auto* form1 = new TForm1;
    form1->show();
    const int exitCode = application.exec();
    // The end sequence already ran from the close event; this only frees the window.
    delete form1;
    return exitCode;
}
