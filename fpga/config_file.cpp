#include "fpga/config_file.h"

#include <QFileInfo>

#include "common/datetime.h"

namespace torvel {

namespace {

// The chip an ALTERA tabular text file is for, known only by its exact size.
// clang-format off
QString AlteraChipText(qint64 fileSize) {
    switch (fileSize) {
        case 20909: return QStringLiteral("для EPF8282A");
        case 31985: return QStringLiteral("для EPF8452A");
        case 47285: return QStringLiteral("для EPF8636A");
        case 59691: return QStringLiteral("для EPF10K10");
        default: return QString();
    }
}
// clang-format on

// From the last "." of the file name on, upper-cased; empty when the name has no ".".
QString UpperExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

}  // namespace

QString ProjectTypeText(const QString& path, qint64 fileSize) {
    const QString extension = UpperExtension(path);
    if (extension == QStringLiteral(".TTF"))
        return QStringLiteral("ALTERA Tabular Text File ") + AlteraChipText(fileSize);
    if (extension == QStringLiteral(".BIT")) return QStringLiteral("XILINX Binary File");
    return QString::fromUtf16(UnknownProjectType);
}

bool ProjectTypeReadable(const QString& projectTypeText) {
    return projectTypeText != QString::fromUtf16(UnknownProjectType);
}

QString ProjectSizeText(qint64 fileSize) {
    return QString::number(fileSize) + QStringLiteral(" байт");
}

QString ProjectSizeText(qint64 fileSize, int imageLength) {
    return ProjectSizeText(fileSize) + QStringLiteral(" (Информационных байт ") +
           QString::number(imageLength) + QLatin1Char(')');
}

QString ProjectModifiedText(const QString& path) {
    return ProjectModifiedText(QFileInfo(path).lastModified());
}

QString ProjectModifiedText(const QDateTime& lastWrite, const QLocale& locale) {
    if (!lastWrite.isValid()) return QString();
    // The UTC date and time, formatted as they stand: no time-zone shift.
    return DateTimeText(lastWrite.toUTC(), locale);
}

}  // namespace torvel
