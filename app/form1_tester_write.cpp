// TForm1: the tester's write. Button8Click starts it from the value field or the input file;
// each reply says what the next repetition carries, and Timer2/Timer3 send it.
#include <QLabel>

#include "app/form1.h"
#include "app/multi_base_edit.h"
#include "app/tester_texts.h"
#include "tester/input_file.h"
#include "ui_form1.h"

namespace {

// A coil, register or RAM/ROM value is one byte.
constexpr qint64 kLargestWriteValue = 0xFF;

}  // namespace

void TForm1::Button8Click() {
    if (!CaptureTesterSettings()) return;
    if (WriteFromFile && InputFileName.isEmpty()) {
        RefuseTesterStart(QStringLiteral("Не указано имя файла для чтения данных"),
                          torvel::kOperatorTag);
        return;
    }
    torvel::TInputValues inputs;
    if (WriteFromFile) {
        // Read again at every start: the file may have been edited since.
        std::optional<torvel::TInputValues> loaded = torvel::LoadInputFile(InputFileName);
        if (!loaded) {
            LogEvent(QStringLiteral("Ошибка при чтении файла данных ") + InputFileName,
                     QStringLiteral("ВВОД-ВЫВОД"));
            ui->StatusTest->setText(QStringLiteral("ОШИБКА ввода-вывода"));
            StatusPanel(3)->clear();
            return;
        }
        inputs = std::move(*loaded);
    } else if (enteredValue_ < 0 || enteredValue_ > kLargestWriteValue) {
        // Never cut to its low byte, nor sent as three digits.
        RefuseTesterStart(
            QStringLiteral("Значение %1 не помещается в байт (0..255)").arg(enteredValue_));
        return;
    }
    BeginTesterOperation(TesterOperation::Write, QStringLiteral("Запись данных в устройство"));
    const torvel::TWriteStart start =
        write_.Start({static_cast<torvel::TAddrType>(AddrType), enteredAddress_, AutoRepeat,
                      Stepcount, static_cast<std::uint8_t>(enteredValue_), WriteFromFile,
                      std::move(inputs), InputFileName, BoardRanges()});
    for (const torvel::TTesterEvent& event : start.Events) LogEvent(event.Text, event.Tag);
    switch (start.Refusal) {
        case torvel::TWriteRefusal::wrNone:
            break;
        case torvel::TWriteRefusal::wrAddress:
            RefuseTesterAddress();
            return;
        case torvel::TWriteRefusal::wrNoValues:
            EndRefusedOperation(torvel::kOperatorError);
            return;
    }
    if (start.Shown) {
        writeValue_ = *start.Shown;
        ui->MEdit3->SetValue(writeValue_);
    }
    SendFirstTesterRequest(*start.Request, write_.Pacer(), *ui->MEdit3);
}

void TForm1::WriteReply(const torvel::DecodedReply& reply) {
    const torvel::TWriteStep step = write_.Reply(reply);
    ui->StatusTest->setText(QStringLiteral("OK"));
    if (step.Shown) {
        writeValue_ = *step.Shown;
        ui->MEdit3->SetValue(writeValue_);
    }
    FollowStep(step.End);
}
