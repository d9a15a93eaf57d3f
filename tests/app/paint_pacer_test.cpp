// The paint pacer on shown widgets, its ticks given by hand: a held widget takes its values at
// once, is painted at a tick while the line is quiet, a moment after the next request while a
// reply is awaited, and in its final state when released.
#include "app/paint_pacer.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QSet>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "window_fixture.h"

namespace {

using torvel::TPaintPacer;

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
    bool painted = false;
};

enum class Act {
    Value,    // the run sets a new value just after a request went out
    Tick,     // the pace's timer
    Quiet,    // no reply is awaited from now on
    Busy,     // a reply is awaited from now on
    Release,  // the run is over
};

struct Step {
    Act act;
    bool painted;  // the bar was painted by the time the events of the step have run
};

struct PaceCase {
    const char* name;
    std::vector<Step> steps;
};

void PrintTo(const PaceCase& c, std::ostream* os) {
    *os << c.name;
}

class PaintPacerPace : public ::testing::TestWithParam<PaceCase> {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        bar_ = new QProgressBar(&window_);
        label_ = new QLabel(&window_);
        layout->addWidget(bar_);
        layout->addWidget(label_);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        QCoreApplication::processEvents();
        bar_->installEventFilter(&counter_);
        pacer_ = std::make_unique<TPaintPacer>(
            QList<QWidget*>{bar_, label_}, [this] { return busy_; }, nullptr, kNeverMs);
    }

    // The pace's own ticks never come: the steps give them.
    static constexpr int kNeverMs = 3'600'000;
    // The events of a step, a paint that waits for the request to be taken included.
    static void RunEvents() { QTest::qWait(TPaintPacer::kAfterRequestMs + 10); }

    QWidget window_;
    QProgressBar* bar_ = nullptr;
    QLabel* label_ = nullptr;
    PaintCounter counter_;
    bool busy_ = true;
    std::unique_ptr<TPaintPacer> pacer_;
};

TEST_P(PaintPacerPace, PaintsOnlyWhereItShould) {
    pacer_->Hold();
    int value = 0;
    for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
        const Step& step = GetParam().steps[i];
        counter_.painted = false;
        switch (step.act) {
            case Act::Value:
                ++value;
                pacer_->Take(*bar_, [&] { bar_->setValue(value); });
                pacer_->Take(*label_, [&] { label_->setText(QString::number(value)); });
                // Taken at once, painted or not.
                EXPECT_EQ(bar_->value(), value);
                break;
            case Act::Tick:
                pacer_->Tick();
                break;
            case Act::Quiet:
                busy_ = false;
                break;
            case Act::Busy:
                busy_ = true;
                break;
            case Act::Release:
                pacer_->Release();
                break;
        }
        RunEvents();
        EXPECT_EQ(counter_.painted, step.painted) << "step " << i;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Pacer, PaintPacerPace, ::testing::Values(
    PaceCase{"HeldValuesWaitForTheTick",
             {{Act::Quiet, false}, {Act::Value, false}, {Act::Value, false}, {Act::Tick, true},
              {Act::Value, false}}},
    PaceCase{"ATickWhileAReplyIsAwaitedWaitsForTheNextRequest",
             {{Act::Value, false}, {Act::Tick, false}, {Act::Value, true}, {Act::Value, false}}},
    PaceCase{"AWholeIntervalWithoutARequestPaintsAtTheNextTick",
             {{Act::Value, false}, {Act::Tick, false}, {Act::Tick, true}, {Act::Tick, false}}},
    PaceCase{"ReleasePaintsTheFinalStateAndLetsChangesPaintAgain",
             {{Act::Value, false}, {Act::Release, true}, {Act::Value, true}, {Act::Tick, false}}}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// The far side has to take the request first: a paint right after the write would keep the
// processor from it.
TEST_F(PaintPacerPace, APaintDueWhileAReplyIsAwaitedLeavesTheRequestAMomentFirst) {
    pacer_->Hold();
    pacer_->Take(*bar_, [&] { bar_->setValue(1); });
    pacer_->Tick();
    counter_.painted = false;
    pacer_->Take(*bar_, [&] { bar_->setValue(2); });
    QCoreApplication::processEvents();
    EXPECT_FALSE(counter_.painted);
    RunEvents();
    EXPECT_TRUE(counter_.painted);
}

TEST_F(PaintPacerPace, AnEstimateIsWorkedOutOnlyWhenItIsAboutToBePainted) {
    QStringList made;
    const auto estimate = [&](const char* text) {
        return [&, text] {
            made.append(QString::fromLatin1(text));
            label_->setText(made.constLast());
        };
    };
    // The first one at once, so the display is there from the start; the later ones only
    // as the pace paints, the last one kept.
    pacer_->Hold();
    for (const char* text : {"1", "2", "3"}) pacer_->Defer(*label_, estimate(text));
    EXPECT_EQ(made, QStringList({"1"}));
    busy_ = false;
    pacer_->Tick();
    EXPECT_EQ(made, QStringList({"1", "3"}));

    // Released, the one kept is made; a change taken replaces it.
    pacer_->Defer(*label_, estimate("4"));
    pacer_->Release();
    pacer_->Hold();
    pacer_->Defer(*label_, estimate("5"));
    pacer_->Defer(*label_, estimate("6"));
    pacer_->Take(*label_, [&] { label_->clear(); });
    pacer_->Release();
    EXPECT_EQ(made, QStringList({"1", "3", "4", "5"}));
    EXPECT_EQ(label_->text(), QString());

    // Not held: made at once.
    pacer_->Defer(*label_, estimate("7"));
    EXPECT_EQ(label_->text(), QStringLiteral("7"));
}

TEST_F(PaintPacerPace, AnExposeWhileHeldPaintsTheWidgetsAsTheyStand) {
    pacer_->Hold();
    pacer_->Take(*bar_, [&] { bar_->setValue(70); });
    QCoreApplication::processEvents();
    EXPECT_FALSE(counter_.painted);
    // As the window system asks when something uncovers the window: never a blank bar.
    window_.repaint();
    EXPECT_TRUE(counter_.painted);
    const QImage bar = window_.grab().toImage().copy(bar_->geometry());
    QSet<QRgb> colours;
    for (int x = 0; x < bar.width(); ++x) colours.insert(bar.pixel(x, bar.height() / 2));
    EXPECT_GT(colours.size(), 2);
}

// Counts the layout requests a widget gets.
class LayoutCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::LayoutRequest) ++requests;
        return false;
    }
    int requests = 0;
};

TEST(PaintPacer, AShownLabelKeepsItsSizeWhileHeld) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(QStringLiteral("1"), &window);
    layout->addWidget(label);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const QSize shown = label->size();
    LayoutCounter counter;
    window.installEventFilter(&counter);
    TPaintPacer pacer(
        {label}, [] { return true; }, nullptr);

    pacer.Hold();
    QCoreApplication::processEvents();
    counter.requests = 0;
    label->setText(QStringLiteral("a text far longer than the one the label was laid out for"));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.requests, 0);
    EXPECT_EQ(label->size(), shown);

    // Released, the label takes the room its text asks for.
    pacer.Release();
    QCoreApplication::processEvents();
    EXPECT_EQ(label->minimumSize(), QSize(0, 0));
    EXPECT_EQ(label->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    EXPECT_GT(label->width(), shown.width());
}

}  // namespace
