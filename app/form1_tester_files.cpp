// TForm1: the choice of the tester's files and viewing program, and the viewers.
#include <QFileInfo>
#include <QLineEdit>

#include "app/form1.h"
#include "app/viewer_launch.h"
#include "ui_form1.h"

namespace {

const QString kDataFileTitle = QStringLiteral("Открыть файл данных Тестера");
const QString kDataFileFilter = QStringLiteral("Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*");
const QString kDataFileExtension = QStringLiteral("*.txt");

}  // namespace

void TForm1::Button5Click() {
    const QString path = dialogs_.AskOpenFileName(kDataFileTitle, kDataFileFilter, ResultFileName,
                                                  kDataFileExtension, false);
    if (path.isEmpty()) return;
    ResultFileName = path;
    ui->Edit2->setText(QFileInfo(path).fileName());
}

void TForm1::Button6Click() {
    const QString path = dialogs_.AskOpenFileName(kDataFileTitle, kDataFileFilter, InputFileName,
                                                  kDataFileExtension, false);
    if (path.isEmpty()) return;
    InputFileName = path;
    ui->Edit3->setText(QFileInfo(path).fileName());
}

void TForm1::Button12Click() {
    // Programs carry no extension here: every file is offered and a typed name kept as it is.
    const QString path =
        dialogs_.AskOpenFileName(QString(), QStringLiteral("Программы (*)|*"), EditorName);
    if (path.isEmpty()) return;
    EditorName = path;
    ui->Edit4->setText(path);
}

void TForm1::Button10Click() {
    ViewTesterFile(ResultFileName);
}

void TForm1::Button11Click() {
    ViewTesterFile(InputFileName);
}

void TForm1::ViewTesterFile(const QString& path) {
    dialogs_.Launch(torvel::PlanViewerLaunch(EditorName, path));
}
