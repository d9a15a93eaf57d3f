#pragma once
// The board's line: a pseudo-terminal whose master the board holds and whose slave path it
// publishes as a symbolic link for the application to open like a serial port.

#include <QString>

namespace torvel::board {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { Close(); }

    // A non-blocking master in raw mode, so the slave passes every byte unchanged.
    bool Open(QString& error);
    // Closing the master is what the application sees as the device vanishing.
    void Close();

    int master() const { return master_; }
    // Bytes written to the line that the application has not read yet.
    int unreadBytes() const;
    const QString& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    // The board keeps the slave open itself: otherwise the master reports a hang-up each
    // time the application closes its side, and keeps reporting it until it reopens.
    int heldSlave_ = -1;
    QString slavePath_;
};

// Where the board publishes its line: `given` as it is, or, when it is empty, "board0" in
// the user's own board folder, created with mode 0700 when missing. That folder is refused
// when another user owns it or others may write to it: they could swap the link for a board
// of their own.
bool ChooseLinkPath(const QString& given, QString& link, QString& error);

// A symbolic link that lives as long as the board: replaced atomically when it exists
// (a board that was killed leaves a stale one), removed at the end only while it still
// points to this board's line.
class PublishedLink {
public:
    PublishedLink() = default;
    PublishedLink(const PublishedLink&) = delete;
    PublishedLink& operator=(const PublishedLink&) = delete;
    ~PublishedLink() { Remove(); }

    bool Publish(const QString& link, const QString& target, QString& error);
    void Remove();

private:
    QString link_;
    QString target_;
};

}  // namespace torvel::board
