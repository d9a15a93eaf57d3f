#include <QApplication>

#include "app/form1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    auto* form1 = new TForm1;
    form1->show();
    const int exitCode = application.exec();
    // The end sequence already ran from the close event; this only frees the window.
    delete form1;
    return exitCode;
}
