#pragma once
// "О программе Torvel": name, version, purpose, supported boards and protocol.

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

namespace torvel {

// The version the build stamped in, or "1.3" when it gave none.
QString AboutVersionText(const char* buildVersion);

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

private:
    std::unique_ptr<Ui::TAboutBox> ui;
};

}  // namespace torvel
