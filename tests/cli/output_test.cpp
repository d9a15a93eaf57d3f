// What torvel-cli writes for people and for programs, caught in buffers: the window's event
// lines naming their port, --quiet's split, the values in both formats, the identity as the
// group shows it, JSON lines that parse, throttled progress, and the summary's status.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/json_output.h"
#include "cli/text_output.h"
#include "support/qt_printers.h"

namespace torvel::cli {
namespace {

struct Buffers {
    Buffers() {
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
    }
    QString Out() const { return QString::fromUtf8(out.data()); }
    QString Err() const { return QString::fromUtf8(err.data()); }
    QBuffer out;
    QBuffer err;
};

const QDateTime kMoment(QDate(2026, 12, 5), QTime(9, 7, 31, 250));

DeviceIdentity StandardBoard() {
    // What the standard torvel-board reports.
    return DecodeIdentity(QStringLiteral("110012040F003F1004800040"));
}

std::vector<QJsonObject> JsonLines(const QString& text) {
    std::vector<QJsonObject> objects;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_TRUE(document.isObject()) << line.toStdString();
        objects.push_back(document.object());
    }
    return objects;
}

TEST(TextOutput, WritesTheWindowsEventLinesNamingTheirPort) {
    Buffers b;
    TextOutput output(b.out, b.err, {});
    output.Event({QStringLiteral("board0"), kMoment, QStringLiteral("Устройство подключено"), {}});
    output.Event({QStringLiteral("board1"), kMoment, QStringLiteral("Ошибка обмена с устройством"),
                  QStringLiteral("ТАЙМАУТ")});
    output.Event({{}, kMoment, QStringLiteral("Журнал недоступен"), QStringLiteral("ОШИБКА")});
    EXPECT_EQ(b.Out(), QStringLiteral("board0: 05.12.2026 9:07:31 - Устройство подключено\n"
                                      "board1: 05.12.2026 9:07:31 - [ТАЙМАУТ] Ошибка обмена с "
                                      "устройством\n"
                                      "05.12.2026 9:07:31 - [ОШИБКА] Журнал недоступен\n"));
    EXPECT_TRUE(b.Err().isEmpty());
}

TEST(TextOutput, QuietKeepsResultsOnStandardOutputAndErrorsOnStandardError) {
    Buffers b;
    TextOutput output(b.out, b.err, {true, false});
    output.Event({QStringLiteral("b"), kMoment, QStringLiteral("Устройство подключено"), {}});
    output.Event(
        {QStringLiteral("b"), kMoment, QStringLiteral("Нет ответа"), QStringLiteral("ТАЙМАУТ")});
    output.Value(QStringLiteral("b"), {QStringLiteral("000A"), 16, 1});
    output.Summary({{QStringLiteral("b"), Outcome::Ok, {}, 1'000'000'000, 10}});
    EXPECT_EQ(b.Out(), QStringLiteral("b: 00010:  000A\n"));
    EXPECT_EQ(b.Err(), QStringLiteral("b: 05.12.2026 9:07:31 - [ТАЙМАУТ] Нет ответа\n"));
}

TEST(TextOutput, WritesValuesAsTheResultFileDoesInEitherFormat) {
    Buffers hex;
    TextOutput(hex.out, hex.err, {false, false})
        .Value(QStringLiteral("b"), {QStringLiteral("1F"), 0x100, 3});
    EXPECT_EQ(hex.Out(), QStringLiteral("b: 00102:  1F\n"));
    Buffers dec;
    TextOutput(dec.out, dec.err, {false, true})
        .Value(QStringLiteral("b"), {QStringLiteral("1F"), 0x100, 3});
    EXPECT_EQ(dec.Out(), QStringLiteral("b: 00258:   31\n"));
}

TEST(TextOutput, ShowsTheIdentityAsTheDeviceGroupDoes) {
    Buffers b;
    TextOutput(b.out, b.err, {}).Identity(QStringLiteral("b"), StandardBoard());
    EXPECT_EQ(b.Out(), QStringLiteral("b: Версия устройства: Arvix версия 1.2\n"
                                      "b: Биты статуса/управления: 00h - 0Fh\n"
                                      "b: Регистры хранения: 10h - 3Fh\n"
                                      "b: Количество страниц ОЗУ/ПЗУ: 4\n"
                                      "b: Объем страницы: 32КБ\n"
                                      "b: Объем буфера обмена: 64Б\n"
                                      "b: Установлена ПЛИС: EPF10K10\n"
                                      "b: Состояние: конфигурация не загружена\n"));
}

TEST(TextOutput, WritesAnInterruptRecordOnOneLineAndTheSummaryPerPort) {
    Buffers b;
    TextOutput output(b.out, b.err, {});
    output.IrqEvent(QStringLiteral("b"), 2, QStringLiteral("010002AB0C"));
    output.IrqEvent(QStringLiteral("b"), 3, QStringLiteral("000000"));  // no record
    output.Summary({{QStringLiteral("b0"), Outcome::Ok, {}, 2'000'000'000, 9000},
                    {QStringLiteral("b1"), Outcome::BoardFailure,
                     QStringLiteral("Ошибка обмена с устройством"), 500'000'000, 0}});
    EXPECT_EQ(b.Out(), QStringLiteral("b: Event 002: AB 0C\n"
                                      "summary: b0 ok, 2.00 s, 4500 B/s\n"
                                      "summary: b1 board failure, 0.50 s, 0 B/s: Ошибка обмена "
                                      "с устройством\n"));
}

TEST(JsonOutput, WritesOneParsableObjectALineForEveryReport) {
    Buffers b;
    JsonOutput output(b.out, {});
    output.PortName(QStringLiteral("/dev/ttyUSB0"));
    output.Event(
        {QStringLiteral("b\"0"), kMoment, QStringLiteral("Конфигурация ПЛИС загружена"), {}});
    output.Identity(QStringLiteral("b"), StandardBoard());
    output.Value(QStringLiteral("b"), {QStringLiteral("000A"), 16, 1});
    output.IrqEvent(QStringLiteral("b"), 1, QStringLiteral("010002AB0C"));
    output.Summary({{QStringLiteral("b"), Outcome::BoardFailure, {}, 0, 0},
                    {QStringLiteral("c"), Outcome::Ok, {}, 0, 0}});
    const std::vector<QJsonObject> lines = JsonLines(b.Out());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], (QJsonObject{{QStringLiteral("type"), QStringLiteral("port")},
                                     {QStringLiteral("port"), QStringLiteral("/dev/ttyUSB0")}}));
    EXPECT_EQ(lines[1][QStringLiteral("port")].toString(), QStringLiteral("b\"0"));
    EXPECT_EQ(lines[1][QStringLiteral("tag")].toString(), QString());
    EXPECT_TRUE(lines[1][QStringLiteral("time")].toString().startsWith(
        QStringLiteral("2026-12-05T09:07:31.250")));
    EXPECT_EQ(lines[2][QStringLiteral("kind")].toString(), QStringLiteral("identity"));
    EXPECT_EQ(lines[2][QStringLiteral("fpga")].toString(), QStringLiteral("EPF10K10"));
    EXPECT_EQ(lines[2][QStringLiteral("registers")].toArray(), (QJsonArray{16, 63}));
    EXPECT_EQ(lines[3][QStringLiteral("label")].toInt(), 16);
    EXPECT_EQ(lines[3][QStringLiteral("value")].toInt(), 10);
    EXPECT_EQ(lines[4][QStringLiteral("registers")].toArray(),
              (QJsonArray{QStringLiteral("AB"), QStringLiteral("0C")}));
    EXPECT_EQ(lines[5][QStringLiteral("type")].toString(), QStringLiteral("summary"));
    EXPECT_EQ(lines[5][QStringLiteral("exit")].toInt(), kExitBoardFailure);
    EXPECT_EQ(lines[5][QStringLiteral("ports")].toArray().size(), 2);
}

TEST(JsonOutput, ShowsProgressAFewTimesASecondWithItsFirstAndLastReading) {
    Buffers b;
    qint64 now = 0;
    JsonOutput output(b.out, {}, [&] { return now; });
    for (int step = 0; step <= 100; ++step) {  // every 20 ms for two seconds
        now = step * 20'000'000LL;
        output.Progress(QStringLiteral("a"), step * 10, 1000);
        output.Progress(QStringLiteral("b"), step * 10, 1000);
    }
    output.Progress(QStringLiteral("a"), 1000, 1000);
    std::map<QString, std::vector<qint64>> shown;
    for (const QJsonObject& line : JsonLines(b.Out()))
        shown[line[QStringLiteral("port")].toString()].push_back(
            line[QStringLiteral("done")].toInteger());
    for (const auto& [port, done] : shown) {
        EXPECT_GE(done.size(), 8u) << port.toStdString();
        EXPECT_LE(done.size(), 10u) << port.toStdString();
        EXPECT_EQ(done.front(), 0);
        EXPECT_EQ(done.back(), 1000);
    }
}

}  // namespace
}  // namespace torvel::cli
