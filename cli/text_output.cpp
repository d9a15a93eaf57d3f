#include "cli/text_output.h"

#include "common/datetime.h"
#include "tester/result_format.h"

namespace torvel::cli {

namespace {

QString SecondsText(qint64 ns) {
    return QString::number(static_cast<double>(ns) / 1e9, 'f', 2) + QStringLiteral(" s");
}

// A text of the result file without its line ends and trailing blanks.
QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return text.trimmed();
}

}  // namespace

QString WindowEventLine(const QString& stamp, const QString& text, const QString& tag) {
    if (tag.isEmpty()) return stamp + QStringLiteral(" - ") + text;
    return stamp + QStringLiteral(" - [") + tag + QStringLiteral("] ") + text;
}

TextOutput::TextOutput(QIODevice& out, QIODevice& err, OutputStyle style, ProgressLines* progress)
    : out_(out), err_(err), style_(style), progress_(progress) {}

void TextOutput::Write(QIODevice& device, const QString& port, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        if (!port.isEmpty()) bytes += port.toUtf8() + ": ";
        bytes += line.toUtf8() + '\n';
    }
    if (progress_) progress_->Hide();
    device.write(bytes);
    if (progress_) progress_->Show();
}

void TextOutput::PortName(const QString& name) {
    Write(out_, QString(), {name});
}

void TextOutput::Event(const EventRecord& event) {
    if (style_.quiet && event.tag.isEmpty()) return;
    Write(style_.quiet ? err_ : out_, event.port,
          {WindowEventLine(DateTimeText(event.time), event.text, event.tag)});
}

void TextOutput::Progress(const QString& port, qint64 done, qint64 total) {
    if (progress_ && !style_.quiet) progress_->Update(port, done, total);
}

void TextOutput::Identity(const QString& port, const DeviceIdentity& id) {
    // The captions and texts of the group "Устройство", in its order.
    const auto range = [](int first, int last) {
        return AddressLabelText(first) + QStringLiteral(" - ") + AddressLabelText(last);
    };
    Write(out_, port,
          {QStringLiteral("Версия устройства: ") + id.BoardText,
           QStringLiteral("Биты статуса/управления: ") + range(id.CoilStart, id.CoilEnd),
           QStringLiteral("Регистры хранения: ") + range(id.HoldStart, id.HoldEnd),
           QStringLiteral("Количество страниц ОЗУ/ПЗУ: ") + PageCountText(id.PageCount),
           QStringLiteral("Объем страницы: ") + PageSizeText(id.PageSize),
           QStringLiteral("Объем буфера обмена: ") + BufferSizeText(id.BufferSize),
           QStringLiteral("Установлена ПЛИС: ") + id.FpgaName,
           QStringLiteral("Состояние: ") + ConfigurationStatusText(id.ConfigurationLoaded)});
}

void TextOutput::ConfigFile(const QString& port, const QString& path, const QString& typeText,
                            const QString& sizeText) {
    // The captions of the file group of the window's first tab.
    Write(out_, port,
          {QStringLiteral("Файл: ") + path, QStringLiteral("Тип: ") + typeText,
           QStringLiteral("Размер: ") + sizeText});
}

void TextOutput::Value(const QString& port, const TResultValue& value) {
    // As the result file writes it, one value a line with its address or step.
    TResultLayout layout({style_.decimal, true, 1});
    Write(out_, port, {OneLine(layout.FormatResultValue(value.Text, value.Base, value.Ordinal))});
}

void TextOutput::IrqEvent(const QString& port, int eventNumber, const QString& payload) {
    const QString record = FormatIrqEvent(eventNumber, payload, {style_.decimal, true, 24});
    // An event without a record writes nothing to the result file either; its event line
    // has said that it came.
    if (!record.isEmpty()) Write(out_, port, {OneLine(record)});
}

void TextOutput::Summary(const std::vector<SummaryRow>& rows) {
    if (style_.quiet) return;
    QStringList lines;
    for (const SummaryRow& row : rows) {
        QString line = QStringLiteral("summary: ") + row.port + u' ' + OutcomeName(row.outcome) +
                       QStringLiteral(", ") + SecondsText(row.elapsedNs) + QStringLiteral(", ") +
                       RateText(BytesPerSecond(row)) + QStringLiteral(" B/s");
        if (!row.reason.isEmpty()) line += QStringLiteral(": ") + row.reason;
        lines.append(line);
    }
    Write(out_, QString(), lines);
}

}  // namespace torvel::cli
