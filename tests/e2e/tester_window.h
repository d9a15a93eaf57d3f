#pragma once
// The tester tab against a board whose FPGA is configured, so identification enables it.

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>

#include "app/multi_base_edit.h"
#include "board_window.h"
#include "common/cp1251.h"

namespace torvel_test {

class TesterWindow : public BoardWindowTest {
protected:
    // Starts the board with `options`, connects it, and brings the tester tab forward.
    void ConnectTester(QStringList options = {}) {
        options << QStringLiteral("--config-flag") << QStringLiteral("FF");
        StartBoard(options);
        if (HasFatalFailure()) return;
        Form().Timer1->setInterval(24 * 3600 * 1000);  // time-outs come from the test
        Connect();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(TesterControlsEnabled());
        Form().SelectPage(1);
    }

    // 0 coil, 1 register, 2 RAM/ROM.
    void Address(int type, int value) {
        const char* buttons[] = {"RadioGroup1Button0", "RadioGroup1Button1", "RadioGroup1Button2"};
        Control<QRadioButton>(buttons[type])->click();
        Control<TMultiBaseEdit>("MEdit1")->SetValue(value);
    }

    // "Повтор&ить" with `count` and a delay of `delayMs`.
    void Repeat(int count, int delayMs = 10) {
        if (!Control<QCheckBox>("CheckBox2")->isChecked()) Control<QCheckBox>("CheckBox2")->click();
        Control<QSpinBox>("SpinEdit1")->setValue(count);
        Control<QSpinBox>("SpinEdit4")->setValue(delayMs);
    }

    // "Записать в &файл" into `path` in the given layout.
    void ToFile(const QString& path, int columns = 16, bool decimal = false, bool addStep = true,
                bool append = false) {
        TForm1& form = Form();
        form.ResultFileName = path;
        form.NumberOfColumns = columns;
        form.OutputFormat = decimal ? 1 : 0;
        form.AddStep = addStep;
        form.AppendOrCreate = append;
        if (!Control<QCheckBox>("CheckBox4")->isChecked()) Control<QCheckBox>("CheckBox4")->click();
    }

    // Presses "С&читать данные" and waits until the operation is over.
    void Read() { Press("Button7"); }
    // Presses "Записат&ь данные" and waits until the operation is over.
    void Write() { Press("Button8"); }
    void Press(const char* button, int deadlineMs = kReplyDeadlineMs) {
        Control<QPushButton>(button)->click();
        ASSERT_TRUE(WaitUntil([this] { return !Form().TesterActive(); }, deadlineMs))
            << Events().join(u'\n').toStdString();
    }

    // "З&начение" in hexadecimal.
    void Value(int value) { Control<TMultiBaseEdit>("MEdit3")->SetValue(value); }

    // "Вз&ять из файла" from a file of `text` (Windows-1251 lines); an empty path unticks it.
    void FromFile(const QString& path, const QByteArray& text = {}) {
        auto* box = Control<QCheckBox>("CheckBox5");
        if (box->isChecked() != !path.isEmpty()) box->click();
        if (path.isEmpty()) return;
        Form().InputFileName = path;
        ASSERT_TRUE(WriteFileBytes(path, text));
    }

    // "Повтор&ить" off.
    void Once() {
        if (Control<QCheckBox>("CheckBox2")->isChecked()) Control<QCheckBox>("CheckBox2")->click();
    }

    // The data fields of the requests the board read with function `function`.
    QStringList RequestData(const QString& function) const {
        QStringList data;
        for (const QString& line : BoardRequests())
            if (line.mid(3, 2) == function) data.append(line.mid(5, line.size() - 5 - 2 - 8));
        return data;
    }

    // The result file without the date and time of its header.
    QString ResultText(const QString& path) const {
        QString text = torvel::FromCp1251(ReadFileBytes(path));
        static const QRegularExpression stamp(QStringLiteral("// \\[[^\\]]*\\]"));
        return text.replace(stamp, QStringLiteral("// [T]"));
    }
};

}  // namespace torvel_test
