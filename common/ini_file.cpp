#include "common/ini_file.h"

#include <QFile>
#include <QSaveFile>
// Bytes are stored as they are: the file is Windows-1251, converted by us, not UTF-8.
#define SI_NO_CONVERSION
// The packaged header keeps its template bodies behind this switch; one user, so no library.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <string>

#include "common/cp1251.h"
#include "common/regular_file.h"

namespace torvel {

namespace {

// A settings file is a few kilobytes; anything far larger is not ours to parse.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

std::string Encoded(const QString& text) {
    return ToCp1251(text).toStdString();
}

}  // namespace

struct IniFile::Data {
    // Not UTF-8, one value per key, no multi-line values: the classic file format.
    CSimpleIniA ini{false, false, false};
};

IniFile::IniFile() : data_(std::make_unique<Data>()) {
    // "Key=Value", as the classic settings functions write it.
    data_->ini.SetSpaces(false);
}

IniFile::~IniFile() = default;

bool IniFile::Load(const QString& fileName, QString* error) {
    data_->ini.Reset();
    refused_.clear();
    QFile file;
    switch (OpenRegularFile(file, fileName, error)) {
        case RegularFileOpen::Missing:
            return true;
        case RegularFileOpen::Refused:
            return false;
        case RegularFileOpen::Opened:
            break;
    }
    // Bounded even if the file grows while it is read.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
    if (bytes.size() > kMaxFileSize) {
        if (error) *error = QStringLiteral("File too large");
        return false;
    }
    if (data_->ini.LoadData(bytes.constData(), static_cast<size_t>(bytes.size())) < 0) {
        data_->ini.Reset();
        if (error) *error = QStringLiteral("Invalid settings file");
        return false;
    }
    return true;
}

bool IniFile::Save(const QString& fileName, QString* error) const {
    if (!refused_.isEmpty()) {
        if (error) *error = refused_;
        return false;
    }
    const QString target = SaveTarget(fileName, error);
    if (target.isEmpty()) return false;
    std::string text;
    if (data_->ini.Save(text) < 0) {
        if (error) *error = QStringLiteral("Out of memory");
        return false;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool IniFile::HasSection(const QString& section) const {
    return data_->ini.SectionExists(Encoded(section).c_str());
}

bool IniFile::HasKey(const QString& section, const QString& key) const {
    return data_->ini.KeyExists(Encoded(section).c_str(), Encoded(key).c_str());
}

QString IniFile::ReadText(const QString& section, const QString& key,
                          const QString& defaultValue) const {
    const char* value = data_->ini.GetValue(Encoded(section).c_str(), Encoded(key).c_str());
    if (!value) return defaultValue;
    return FromCp1251(QByteArray(value));
}

bool IniFile::WriteText(const QString& section, const QString& key, const QString& value) {
    // A line break would end the line early and let the rest read as keys or sections of
    // its own; a NUL would cut the text short.
    for (const QString* text : {&section, &key, &value}) {
        if (text->contains(u'\r') || text->contains(u'\n') || text->contains(QChar(0))) {
            refused_ =
                QStringLiteral("Line break or NUL in [%1] %2").arg(section, key).simplified();
            return false;
        }
    }
    data_->ini.SetValue(Encoded(section).c_str(), Encoded(key).c_str(), Encoded(value).c_str());
    return true;
}

}  // namespace torvel
