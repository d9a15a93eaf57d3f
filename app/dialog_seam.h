#pragma once
// Every message box and file dialog of the window goes through one DialogSeam. Normally it
// shows the real modal QMessageBox / QFileDialog; a test queues the answers beforehand
// (setNextAnswer, setNextFileName) and reads back what was shown.

#include <QList>
#include <QMessageBox>
#include <QString>

#include "app/viewer_launch.h"

class QPrinter;
class QWidget;

namespace torvel {

// Filters are written "Name (*.x)|*.x|Other (*.y;*.z)|*.y;*.z"; Qt wants
// "Name (*.x);;Other (*.y *.z)".
QString QtFileFilter(const QString& pipeFilter);

struct ShownMessageBox {
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QString Title;
    QString Text;
    QMessageBox::StandardButton Answer = QMessageBox::NoButton;
};

struct FileDialogRecord {
    bool Save = false;
    QString Title;
    QString Filter;  // as the caller wrote it
    QString InitialFile;
    QString DefaultExtension;
    QString Answer;  // empty: cancelled
};

class DialogSeam {
public:
    explicit DialogSeam(QWidget* parent);

    // --- the test side ---
    // Answers the next message box instead of showing it.
    void setNextAnswer(QMessageBox::StandardButton answer);
    // Answers the next file dialog; an empty name cancels it. filterIndex -1 picks the first
    // filter whose pattern matches the name.
    void setNextFileName(const QString& fileName, int filterIndex = -1);
    // Unattended: a box or file dialog without a queued answer is not shown but answered as
    // if dismissed: Cancel when the box has it, otherwise OK; a file dialog is cancelled.
    void setUnattended(bool on) { unattended_ = on; }
    // What seams created from now on start with, so start-up boxes can be answered too.
    static void setUnattendedByDefault(bool on);
    // Viewing programs are recorded instead of started.
    void setRecordLaunches(bool on) { recordLaunches_ = on; }
    const QList<ViewerLaunch>& launches() const { return launches_; }
    // Prints go to this PDF file instead of the default printer.
    void setPrintFile(const QString& pdfFileName) { printFile_ = pdfFileName; }

    const QList<ShownMessageBox>& shownBoxes() const { return boxes_; }
    const QList<FileDialogRecord>& fileDialogs() const { return fileDialogs_; }
    qsizetype queuedAnswers() const { return answers_.size() + fileNames_.size(); }

    // --- the window side ---
    // Title "Confirm", question icon, OK and Cancel; returns the button chosen.
    QMessageBox::StandardButton Confirm(const QString& text);
    // Title "Error", error icon, one OK button.
    void ShowError(const QString& text);
    QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton);

    // Empty when cancelled. The filter is in the pipe form; the default extension is added
    // to a name typed without one ("csv", ".csv" and "*.csv" are all accepted).
    QString AskOpenFileName(const QString& title, const QString& filter, const QString& initialFile,
                            const QString& defaultExtension = {}, bool mustExist = true);
    QString AskSaveFileName(const QString& title, const QString& filter, const QString& initialFile,
                            const QString& defaultExtension = {}, int* filterIndex = nullptr);

    // Starts a viewing program, or records it when a test asked.
    void Launch(const ViewerLaunch& launch);

    // Points the printer at the PDF file when a test asked for one.
    void PreparePrinter(QPrinter& printer) const;

private:
    struct QueuedFileName {
        QString Name;
        int FilterIndex;
    };

    QWidget* DialogParent() const;
    QString AskFileName(FileDialogRecord request, bool mustExist, int* filterIndex);

    QWidget* parent_;
    bool unattended_;
    QString printFile_;
    QList<QMessageBox::StandardButton> answers_;
    QList<QueuedFileName> fileNames_;
    QList<ShownMessageBox> boxes_;
    QList<FileDialogRecord> fileDialogs_;
    bool recordLaunches_ = false;
    QList<ViewerLaunch> launches_;
};

}  // namespace torvel
