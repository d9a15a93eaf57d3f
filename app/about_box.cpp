#include "app/about_box.h"

#include <QLayout>

#include "ui_about_box.h"

namespace torvel {

namespace {

#ifdef TORVEL_VERSION
constexpr const char* kBuildVersion = TORVEL_VERSION;
#else
constexpr const char* kBuildVersion = nullptr;
#endif

}  // namespace

QString AboutVersionText(const char* buildVersion) {
    if (buildVersion == nullptr || *buildVersion == '\0') return QStringLiteral("1.3");
    return QString::fromLatin1(buildVersion);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(new Ui::TAboutBox) {
    ui->setupUi(this);
    ui->Version->setText(QStringLiteral("Версия ") + AboutVersionText(kBuildVersion));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TAboutBox::~TAboutBox() = default;

}  // namespace torvel
