#include "app/dialog_seam.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>

namespace torvel {

namespace {

bool g_unattendedByDefault = false;

struct FilterEntry {
    QString Name;
    QStringList Patterns;
};

QList<FilterEntry> ParsePipeFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(u'|');
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts[i], parts[i + 1].split(u';', Qt::SkipEmptyParts)});
    if (parts.size() % 2 == 1 && !parts.back().isEmpty())
        entries.append({parts.back(), {QStringLiteral("*")}});
    return entries;
}

// The name usually repeats its patterns in parentheses; Qt reads the patterns from there, so
// they are rebuilt from the pattern part, blank-separated.
QString QtFilterEntry(const FilterEntry& entry) {
    QString name = entry.Name.trimmed();
    static const QRegularExpression trailingParentheses(QStringLiteral("\\s*\\([^()]*\\)$"));
    name.remove(trailingParentheses);
    return name + QStringLiteral(" (") + entry.Patterns.join(u' ') + u')';
}

int FilterIndexMatching(const QString& pipeFilter, const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const QList<FilterEntry> entries = ParsePipeFilter(pipeFilter);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        for (const QString& pattern : entries[i].Patterns) {
            const QRegularExpression re(
                QRegularExpression::wildcardToRegularExpression(
                    pattern, QRegularExpression::UnanchoredWildcardConversion),
                QRegularExpression::CaseInsensitiveOption);
            if (re.match(name).hasMatch()) return int(i);
        }
    }
    return 0;
}

QString CleanExtension(QString extension) {
    while (extension.startsWith(u'*') || extension.startsWith(u'.')) extension.remove(0, 1);
    return extension;
}

// The extension a name typed without one receives: the chosen filter's own, when it names
// one, otherwise the dialog's default.
QString ExtensionFor(const QString& pipeFilter, int filterIndex, const QString& defaultExtension) {
    const QList<FilterEntry> entries = ParsePipeFilter(pipeFilter);
    if (filterIndex >= 0 && filterIndex < entries.size() &&
        !entries[filterIndex].Patterns.isEmpty()) {
        const QString own = CleanExtension(entries[filterIndex].Patterns.front());
        if (!own.isEmpty() && !own.contains(u'*') && !own.contains(u'?')) return own;
    }
    return CleanExtension(defaultExtension);
}

QString WithExtension(const QString& fileName, const QString& extension) {
    if (fileName.isEmpty() || extension.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + u'.' + extension;
}

QMessageBox::StandardButton DismissAnswer(QMessageBox::StandardButtons buttons) {
    if (buttons.testFlag(QMessageBox::Cancel)) return QMessageBox::Cancel;
    if (buttons.testFlag(QMessageBox::No)) return QMessageBox::No;
    return QMessageBox::Ok;
}

}  // namespace

QString QtFileFilter(const QString& pipeFilter) {
    QStringList filters;
    for (const FilterEntry& entry : ParsePipeFilter(pipeFilter))
        filters.append(QtFilterEntry(entry));
    return filters.join(QStringLiteral(";;"));
}

DialogSeam::DialogSeam(QWidget* parent) : parent_(parent), unattended_(g_unattendedByDefault) {}

void DialogSeam::setUnattendedByDefault(bool on) {
    g_unattendedByDefault = on;
}

void DialogSeam::setNextAnswer(QMessageBox::StandardButton answer) {
    answers_.append(answer);
}

void DialogSeam::setNextFileName(const QString& fileName, int filterIndex) {
    fileNames_.append({fileName, filterIndex});
}

QWidget* DialogSeam::DialogParent() const {
    // A dialog opened from another modal dialog (the journal viewer) belongs over that one.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return parent_;
}

QMessageBox::StandardButton DialogSeam::Confirm(const QString& text) {
    return Ask(QMessageBox::Question, QStringLiteral("Confirm"), text,
               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
}

void DialogSeam::ShowError(const QString& text) {
    Ask(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton DialogSeam::Ask(QMessageBox::Icon icon, const QString& title,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) {
    QMessageBox::StandardButton answer;
    if (!answers_.isEmpty()) {
        answer = answers_.takeFirst();
    } else if (unattended_) {
        answer = DismissAnswer(buttons);
    } else {
        QMessageBox box(icon, title, text, buttons, DialogParent());
        box.setDefaultButton(defaultButton);
        answer = static_cast<QMessageBox::StandardButton>(box.exec());
    }
    boxes_.append({icon, title, text, answer});
    return answer;
}

QString DialogSeam::AskOpenFileName(const QString& title, const QString& filter,
                                    const QString& initialFile, const QString& defaultExtension,
                                    bool mustExist) {
    return AskFileName({false, title, filter, initialFile, defaultExtension, {}}, mustExist,
                       nullptr);
}

QString DialogSeam::AskSaveFileName(const QString& title, const QString& filter,
                                    const QString& initialFile, const QString& defaultExtension,
                                    int* filterIndex) {
    return AskFileName({true, title, filter, initialFile, defaultExtension, {}}, false,
                       filterIndex);
}

QString DialogSeam::AskFileName(FileDialogRecord request, bool mustExist, int* filterIndex) {
    QString name;
    int index = 0;
    if (!fileNames_.isEmpty()) {
        const QueuedFileName queued = fileNames_.takeFirst();
        index = queued.FilterIndex >= 0 ? queued.FilterIndex
                                        : FilterIndexMatching(request.Filter, queued.Name);
        name = WithExtension(queued.Name,
                             ExtensionFor(request.Filter, index, request.DefaultExtension));
    } else if (!unattended_) {
        QFileDialog dialog(DialogParent(), request.Title);
        dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setNameFilter(QtFileFilter(request.Filter));
        dialog.setDefaultSuffix(ExtensionFor(request.Filter, 0, request.DefaultExtension));
        const QString filter = request.Filter;
        const QString defaultExtension = request.DefaultExtension;
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, filter, defaultExtension](const QString& chosen) {
                             const int i = int(dialog.nameFilters().indexOf(chosen));
                             dialog.setDefaultSuffix(ExtensionFor(filter, i, defaultExtension));
                         });
        if (!request.InitialFile.isEmpty()) {
            const QFileInfo initial(request.InitialFile);
            dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            name = dialog.selectedFiles().front();
            index = int(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
        }
    }
    if (filterIndex) *filterIndex = index < 0 ? 0 : index;
    request.Answer = name;
    fileDialogs_.append(request);
    return name;
}

void DialogSeam::PreparePrinter(QPrinter& printer) const {
    if (printFile_.isEmpty()) return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFile_);
}

void DialogSeam::Launch(const ViewerLaunch& launch) {
    if (recordLaunches_ || unattended_) {
        launches_.append(launch);
        return;
    }
    StartViewer(launch);
}

}  // namespace torvel
