// The main window's controls, captions, tabs, menu and the tab-change guard.
#include "app/form1.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>

#include "app/about_box.h"
#include "app/elide_label.h"
#include "fpga/sample_config.h"
#include "support/pty_pair.h"
#include "support/qt_printers.h"
#include "transport/com_port.h"
#include "window_fixture.h"

using torvel_test::WhileModal;
using torvel_test::WindowTest;

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// ---- captions as the window shows them, accelerators included ----

struct CaptionCase {
    const char* objectName;
    const char* caption;
};

void PrintTo(const CaptionCase& c, std::ostream* os) {
    *os << c.objectName;
}

class Form1Captions : public WindowTest, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(Form1Captions, ControlShowsItsCaption) {
    QObject* control = Form().findChild<QObject*>(QString::fromLatin1(GetParam().objectName));
    ASSERT_NE(control, nullptr) << GetParam().objectName;
    QString shown;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        shown = button->text();
    else if (auto* label = qobject_cast<QLabel*>(control))
        shown = label->text();
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        shown = group->title();
    else if (auto* action = qobject_cast<QAction*>(control))
        shown = action->text();
    else if (auto* menu = qobject_cast<QMenu*>(control))
        shown = menu->title();
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        shown = edit->text();
    EXPECT_EQ(shown, U(GetParam().caption));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controls, Form1Captions, ::testing::Values(
    CaptionCase{"GroupBox1", "Устройство"},            CaptionCase{"LabelBoardVersion", "нет данных"},
    CaptionCase{"LabelCoilStart", "нет данных"},       CaptionCase{"LabelHoldEnd", "нет данных"},
    CaptionCase{"LabelPageCount", "нет данных"},       CaptionCase{"LabelPageSize", "нет данных"},
    CaptionCase{"LabelBufSize", "нет данных"},         CaptionCase{"LabelFPGAName", "нет данных"},
    CaptionCase{"LabelFPGAStatus", "нет данных"},      CaptionCase{"LabelType", "нет данных"},
    CaptionCase{"LabelSize", "нет данных"},            CaptionCase{"LabelCreated", "нет данных"},
    CaptionCase{"Button3", "Под&ключить устройство"},   CaptionCase{"Button2", "&Загрузить ПЛИС"},
    CaptionCase{"GroupBox2", "Конфигурационный файл ПЛИС"}, CaptionCase{"Button1", "&Открыть ..."},
    CaptionCase{"GroupBox3", "Адрес"},                 CaptionCase{"RadioGroup1", "Тип"},
    CaptionCase{"RadioGroup1Button0", "Триггер"},      CaptionCase{"RadioGroup1Button1", "Регистр"},
    CaptionCase{"RadioGroup1Button2", "ОЗУ/ПЗУ"},      CaptionCase{"CheckBox2", "Повтор&ить"},
    CaptionCase{"LabelDelay1", "Задер&жка между"},      CaptionCase{"LabelDelay2", "повторами, мс"},
    CaptionCase{"GroupBox4", "Чтение"},                CaptionCase{"Button7", "С&читать данные"},
    CaptionCase{"CheckBox4", "Записать в &файл"},       CaptionCase{"Button5", "..."},
    CaptionCase{"Button10", "Просмотреть"},            CaptionCase{"GroupBox5", "Запись"},
    CaptionCase{"Button8", "Записат&ь данные"},         CaptionCase{"CheckBox5", "Вз&ять из файла"},
    CaptionCase{"Button6", "..."},                     CaptionCase{"Button11", "Просмотреть"},
    CaptionCase{"GroupBox9", "Установка прерываний"},  CaptionCase{"Button13", "Разрешить прерывание"},
    CaptionCase{"CheckBox3", "Возвращать значение регистра"},
    CaptionCase{"LabelIrqAddress", "Адрес"},           CaptionCase{"LabelIrqFormat", "Формат"},
    CaptionCase{"LabelIrqCount", "Количество"},        CaptionCase{"Button9", "Ст&оп"},
    CaptionCase{"Button4", "При&менить"},               CaptionCase{"GroupBox6", "Порт"},
    CaptionCase{"Label22", "Номер СОМ порт&а:"},        CaptionCase{"Label23", "&Скорость передачи:"},
    CaptionCase{"Label24", "Количество б&ит данных:"},  CaptionCase{"Label25", "Количество стоп-би&т:"},
    CaptionCase{"Label26", "Контроль &четности:"},      CaptionCase{"Label27", "&Управление потоком:"},
    CaptionCase{"GroupBox7", "Modbus (ASC)"},          CaptionCase{"Label29", "о&жидания ответа на запрос, с"},
    CaptionCase{"Label30", "Коли&чество попыток на запрос"}, CaptionCase{"Label31", "Логический адрес &устройства"},
    CaptionCase{"GroupBox8", "Тестер"},                CaptionCase{"Label33", "&Колонок в строке:"},
    CaptionCase{"Label34", "В&ыводить в формате:"},     CaptionCase{"CheckBox1", "Д&обавлять в файл"},
    CaptionCase{"CheckBox6", "Записывать адрес/&шаг"},  CaptionCase{"Button12", "&Выбрать"},
    CaptionCase{"LabelEvents", "События"},
    CaptionCase{"MenuFile", "&Файл"},                  CaptionCase{"MenuOpen", "&Открыть ..."},
    CaptionCase{"MenuExit", "&Выход"},                 CaptionCase{"MenuAction", "&Действие"},
    CaptionCase{"MenuConnect", "&Полключить устройство"}, CaptionCase{"MenuLoadProject", "&Загрузить проект"},
    CaptionCase{"MenuTester", "&Тестер"},              CaptionCase{"MenuParameters", "&Параметры"},
    CaptionCase{"MenuSetup", "Настроить &параметры"},   CaptionCase{"MenuViewJournal", "Просмотреть &журнал событий ..."},
    CaptionCase{"MenuClearJournal", "&Очистить журнал событий"}, CaptionCase{"MenuMonitor", "&Монитор обмена ..."},
    CaptionCase{"MenuHelp", "&?"},                     CaptionCase{"MenuAbout", "&О программе ..."}),
    [](const auto& row) { return std::string(row.param.objectName); });
// clang-format on

class Form1Layout : public WindowTest {};

TEST_F(Form1Layout, MainAndInnerTabsCarryTheirCaptions) {
    auto* main = Find<QTabWidget>("PageControl1");
    ASSERT_EQ(main->count(), 3);
    EXPECT_EQ(main->tabText(0), U("&Загрузка ПЛИС"));
    EXPECT_EQ(main->tabText(1), U("&Тестер"));
    EXPECT_EQ(main->tabText(2), U("Па&раметры"));
    auto* inner = Find<QTabWidget>("PageControl2");
    ASSERT_EQ(inner->count(), 3);
    EXPECT_EQ(inner->tabPosition(), QTabWidget::South);
    EXPECT_EQ(inner->tabText(0), U("Св&язь"));
    EXPECT_EQ(inner->tabText(1), U("Протоко&л"));
    EXPECT_EQ(inner->tabText(2), U("Т&естер"));
    EXPECT_EQ(Form().windowTitle(), U("Torvel"));
}

TEST_F(Form1Layout, NumberFieldsHaveTheirRangesAndInitialValues) {
    struct Spin {
        const char* name;
        int min, max, value, step;
    };
    // clang-format off
    const Spin spins[] = {
        // The stored delay of 1 ms shows as the field's lower bound.
        {"SpinEdit1", 2, 10000, 2, 1},  {"SpinEdit4", 10, 10000, 10, 10},  {"SpinEdit6", 1, 1000, 1, 1},
        {"SpinEdit7", 1, 8, 1, 1},      {"SpinEdit2", 0, 20, 2, 1},        {"SpinEdit3", 0, 10, 3, 1},
        {"SpinEdit5", 1, 24, 16, 1},
    };
    // clang-format on
    for (const Spin& s : spins) {
        auto* spin = Find<QSpinBox>(s.name);
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->minimum(), s.min) << s.name;
        EXPECT_EQ(spin->maximum(), s.max) << s.name;
        EXPECT_EQ(spin->value(), s.value) << s.name;
        EXPECT_EQ(spin->singleStep(), s.step) << s.name;
    }
    EXPECT_FALSE(Find<QSpinBox>("SpinEdit3")->isEnabled());
    EXPECT_FALSE(Find<QLabel>("Label30")->isEnabled());
    EXPECT_FALSE(Find<QLabel>("Label32")->isEnabled());
    // The stored address type, "Триггер", gives the address field its length at start.
    EXPECT_EQ(Find<QLineEdit>("MEdit1")->maxLength(), 2);
    EXPECT_EQ(Find<QLineEdit>("MEdit4")->maxLength(), 4);
    EXPECT_EQ(Find<QLineEdit>("MEdit10")->maxLength(), 2);
    EXPECT_TRUE(Find<QLineEdit>("MEdit2")->isReadOnly());
    EXPECT_TRUE(Find<QLineEdit>("Edit1")->isReadOnly());
    for (const char* name : {"ComComboBox1", "ComComboBox2", "ComComboBox3", "ComComboBox4",
                             "ComComboBox5", "ComComboBox6"})
        EXPECT_NE(Find<QComboBox>(name), nullptr);
}

TEST_F(Form1Layout, ChoiceListsOfferTheirItems) {
    const auto items = [this](const char* name) {
        QStringList list;
        auto* combo = Find<QComboBox>(name);
        for (int i = 0; combo && i < combo->count(); ++i) list.append(combo->itemText(i));
        return list;
    };
    for (const char* name : {"ComboBox2", "ComboBox3", "ComboBox4", "ComboBox6"})
        EXPECT_EQ(items(name), (QStringList{U("h"), U("d")})) << name;
    EXPECT_EQ(items("ComboBox5"), (QStringList{U("0"), U("1")}));
    EXPECT_EQ(Find<QComboBox>("ComboBox5")->currentIndex(), 0);
    EXPECT_EQ(items("ComboBox1"), (QStringList{U("HEX"), U("DEC")}));
}

TEST_F(Form1Layout, StatusBarHasFiveEmptyPanelsOfAHundredPixels) {
    auto* bar = Find<QStatusBar>("SB1");
    ASSERT_NE(bar, nullptr);
    for (int number = 1; number <= 5; ++number) {
        QLabel* panel = Form().StatusPanel(number);
        ASSERT_NE(panel, nullptr) << number;
        EXPECT_EQ(panel->width(), 100);
        EXPECT_TRUE(panel->text().isEmpty());
    }
    EXPECT_EQ(Form().StatusPanel(6), nullptr);
}

TEST_F(Form1Layout, EventsMemoIsReadOnlyAndOutOfTheTabOrder) {
    auto* memo = Find<QPlainTextEdit>("Memo1");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_FALSE(memo->focusPolicy() & Qt::TabFocus);
    auto* splitter = Find<QSplitter>("Splitter1");
    EXPECT_EQ(splitter->orientation(), Qt::Vertical);
    EXPECT_EQ(splitter->handleWidth(), 2);
}

TEST_F(Form1Layout, TimersCarryTheirNames) {
    for (const char* name : {"Timer1", "Timer2", "Timer3"}) {
        auto* timer = Form().findChild<QTimer*>(QString::fromLatin1(name));
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_FALSE(timer->isActive());
    }
}

// ---- switching tabs ----

class Form1Tabs : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowForm();
        tabs_ = Find<QTabWidget>("PageControl1");
        bar_ = Find<QTabBar>("PageControlTabBar");
    }
    void ClickTab(int index) {
        QTest::mouseClick(bar_, Qt::LeftButton, {}, bar_->tabRect(index).center());
    }
    QTabWidget* tabs_ = nullptr;
    QTabBar* bar_ = nullptr;
};

TEST_F(Form1Tabs, UserSwitchesTabsWhileNoReplyIsAwaited) {
    ClickTab(1);
    EXPECT_EQ(tabs_->currentIndex(), 1);
    QTest::keyClick(tabs_, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs_->currentIndex(), 2);
}

TEST_F(Form1Tabs, AwaitedReplyKeepsTheCurrentTabAgainstClicksKeysAndWheel) {
    // A request that nobody answers on a line of its own.
    torvel::testing::PtyPair line;
    TForm1& form = Form();
    form.ComPort1->SetPort(line.SlavePath());
    form.ComPort1->OpenPort();
    const torvel::TExchangeOperation operation;
    form.SendRequest(operation, 0, 17, QString());
    ASSERT_TRUE(form.ReplyExpected());
    ClickTab(1);
    EXPECT_EQ(tabs_->currentIndex(), 0);
    QTest::keyClick(tabs_, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(tabs_, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(bar_, Qt::Key_Right);
    EXPECT_EQ(tabs_->currentIndex(), 0);
    const QPointF at = bar_->tabRect(0).center();
    QWheelEvent wheel(at, bar_->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar_, &wheel);
    EXPECT_EQ(tabs_->currentIndex(), 0);

    while (form.ReplyExpected()) form.Timer1Timer();
    ClickTab(1);
    EXPECT_EQ(tabs_->currentIndex(), 1);
}

TEST_F(Form1Tabs, SelectPageAndTheMenuSwitchEvenWhileAReplyIsAwaited) {
    Form().Timer1->start();
    Form().SelectPage(2);
    EXPECT_EQ(tabs_->currentIndex(), 2);
    Find<QAction>("MenuTester")->trigger();
    EXPECT_EQ(tabs_->currentIndex(), 1);
    Form().Timer1->stop();
}

TEST_F(Form1Tabs, SelectPageIgnoresIndexesOutsideTheTabs) {
    Form().SelectPage(1);
    for (int index : {-1, 3, 100}) {
        Form().SelectPage(index);
        EXPECT_EQ(tabs_->currentIndex(), 1) << index;
    }
}

struct MenuCase {
    const char* action;
    int startPage;
    int expectedPage;
};

void PrintTo(const MenuCase& c, std::ostream* os) {
    *os << c.action;
}

class Form1MenuSwitch : public WindowTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(Form1MenuSwitch, BringsItsTabToTheFront) {
    Form().SelectPage(GetParam().startPage);
    Find<QProgressBar>("PBLoad")->setValue(40);
    Find<QAction>(GetParam().action)->trigger();
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), GetParam().expectedPage);
    EXPECT_EQ(Find<QProgressBar>("PBLoad")->value(), 40);  // nothing else happens
    EXPECT_FALSE(Form().ReplyExpected());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Menu, Form1MenuSwitch, ::testing::Values(
    MenuCase{"MenuOpen", 2, 0},        MenuCase{"MenuConnect", 1, 0},
    MenuCase{"MenuLoadProject", 2, 0}, MenuCase{"MenuTester", 0, 1},
    MenuCase{"MenuSetup", 0, 2}),
    [](const auto& row) { return std::string(row.param.action); });
// clang-format on

TEST_F(Form1Layout, OpeningALargeSampleKeepsTheWindowsWidth) {
    const QString sample = PathOf(QStringLiteral("a-rather-long-configuration-file-name.ttf"));
    ASSERT_TRUE(torvel::WriteSampleConfigFile(sample, 59691, 5).has_value());
    ShowForm();
    const int width = Form().width();
    Form().Dialogs().setNextFileName(sample);
    Find<QPushButton>("Button1")->click();
    QApplication::processEvents();
    // The window would grow to its minimum once the platform lets it.
    EXPECT_LE(Form().minimumSizeHint().width(), width);
    EXPECT_EQ(Form().width(), width);
    for (const char* name : {"LabelType", "LabelSize"}) {
        auto* label = Find<torvel::TElideLabel>(name);
        label->repaint();
        EXPECT_LE(label->geometry().right(), label->parentWidget()->contentsRect().right()) << name;
        EXPECT_EQ(label->toolTip(), label->IsElided() ? label->text() : QString()) << name;
    }
}

TEST_F(Form1Layout, TheStartAndEndColumnsKeepTheirValuesApart) {
    ShowForm();
    auto* start = Find<QLabel>("LabelCoilStart");
    auto* end = Find<QLabel>("LabelCoilEnd");
    const int textEnd = start->x() + start->fontMetrics().horizontalAdvance(start->text());
    EXPECT_GE(end->x() - textEnd, 12);
}

TEST_F(Form1Layout, AboutMenuShowsTheAboutBoxModally) {
    QString title;
    QString version;
    const bool opened =
        WhileModal([&] { Find<QAction>("MenuAbout")->trigger(); },
                   [&](QWidget* modal) {
                       title = modal->windowTitle();
                       if (auto* label = modal->findChild<QLabel*>(QStringLiteral("Version")))
                           version = label->text();
                   });
    ASSERT_TRUE(opened);
    EXPECT_EQ(title, U("О программе Torvel"));
    EXPECT_EQ(version, U("Версия 1.3.0.2"));
    EXPECT_TRUE(Form().findChildren<torvel::TAboutBox*>().isEmpty());  // destroyed when closed
}

}  // namespace
