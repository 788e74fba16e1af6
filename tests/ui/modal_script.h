#pragma once
// Answers modal dialogs and popup menus from a timer, since the calls that show them block.
// Each dialog or popup that appears consumes the next step; one that finds no step left, or
// appears after the deadline, is closed, so a wrong expectation fails a test instead of
// hanging it.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

class ModalScript {
public:
    using Step = std::function<void(QWidget*)>;
    enum class Watch { Dialogs, Popups };

    explicit ModalScript(Watch watch = Watch::Dialogs) : watch_(watch) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
        clock_.start();
    }

    ModalScript& then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    int stepsRun() const { return run_; }
    int closedUnanswered() const { return unanswered_; }

private:
    QWidget* shown() const {
        return watch_ == Watch::Popups ? QApplication::activePopupWidget()
                                       : QApplication::activeModalWidget();
    }

    void poll() {
        QWidget* w = shown();
        if (w == nullptr) return;
        if (clock_.elapsed() > 10000) {
            // Whatever is still open now is stuck: close it so that the call returns.
            ++unanswered_;
            if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
            else w->close();
            return;
        }
        for (const QPointer<QWidget>& seen : handled_) {
            if (seen == w) return;
        }
        handled_.emplace_back(w);
        if (steps_.empty()) {
            ++unanswered_;
            if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
            else w->close();
            return;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        ++run_;
        // Run outside this timer's slot: a step may open a nested dialog, and the timer does
        // not fire again while its own slot is running.
        QTimer::singleShot(0, w, [step = std::move(step), w] { step(w); });
    }

    Watch watch_;
    QTimer timer_;
    QElapsedTimer clock_;
    // A dialog counts once, also when it is active again after one it opened has closed.
    std::vector<QPointer<QWidget>> handled_;
    std::deque<Step> steps_;
    int run_ = 0;
    int unanswered_ = 0;
};
