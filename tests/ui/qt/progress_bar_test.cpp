#include "ui/qt/progress_bar.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QProgressBar>
#include <QTest>
#include <functional>

namespace ui {
namespace {

double shownShare(const QProgressBar& bar) {
    return static_cast<double>(bar.value() - bar.minimum()) / (bar.maximum() - bar.minimum());
}

TEST(ProgressBar, ShowsTheShareOfTheMaximumThatIsDone) {
    const struct {
        float max;
        float value;
        double share;
    } cases[] = {
        {4, 1, 0.25},      {3, 1, 1.0 / 3},
        {3, 3, 1.0},       {40000, 0, 0.0},  // a new run before its first file
        {0, 0, 1.0},                         // an empty model space is read to its end
        {2, 5, 1.0},                         // a value left over from a longer run
        {1e9f, 5e8f, 0.5},                   // beyond what QProgressBar's int would hold as it is
    };
    for (const auto& c : cases) {
        QProgressBar bar;
        ProgressBar progress(bar);
        progress.setMax(c.max);
        progress.setValue(c.value);
        EXPECT_EQ(progress.max(), c.max);
        EXPECT_EQ(progress.value(), c.value);
        EXPECT_NEAR(shownShare(bar), c.share, 1e-4) << c.value << " of " << c.max;
        EXPECT_EQ(bar.minimum() == bar.maximum(), false) << "a busy bar would animate";
    }
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(ProgressBar, PaintsAtOnceWithoutReturningToTheEventLoop) {
    QProgressBar bar;
    ProgressBar progress(bar);
    bar.resize(400, 12);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    PaintCounter counter;
    bar.installEventFilter(&counter);

    // An operation holds the thread: no events are processed between these calls, so each
    // visible change must be painted by the call that makes it.
    const std::function<void()> changes[] = {
        [&] {
            progress.setMax(3);
            progress.setValue(1);
        },
        [&] { progress.setValue(2); },
        [&] { progress.setMax(4); },
        [&] { progress.setValue(4); },
    };
    for (const auto& change : changes) {
        const int before = counter.paints;
        change();
        // cppcheck-suppress knownConditionTrueFalse ; the event filter counts during change()
        EXPECT_GT(counter.paints, before);
    }
}

}  // namespace
}  // namespace ui
