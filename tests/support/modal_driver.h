#pragma once
// Drives the program's modal dialogs (or its popup menus) from a timer, the way a user would
// answer them, so that a call that blocks in a dialog can be made straight from a test.
//
// Steps are queued before the call. Every 10 ms the timer looks at the active modal widget (or
// popup); each new one consumes the next step, which runs from the event loop rather than inside
// the timer's slot, so that a step may open a nested dialog that is answered in turn. A dialog
// counts once while it stays open, also when it is active again after a nested one closed; once
// closed, the same object shown again counts as new. Every one seen is logged (kind, title and,
// for message boxes, the text) so a test can assert on what the user was shown. One that finds
// no step left is closed unanswered, and after 20 s anything open is, so a wrong expectation
// fails the test instead of hanging it; so does a dialog still open 5 s after its answer
// (logged as "still open").
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct SeenDialog {
    std::string kind;  // "message", "file", "input", "popup", "other" or "still open"
    std::string title;
    std::string text;    // message boxes: their text; file dialogs: the name field when shown
    std::string folder;  // file dialogs: the folder shown when they opened
    int pattern = -1;    // file dialogs: the index of the pattern selected when they opened
};

class ModalDriver {
public:
    using Step = std::function<void(QWidget*)>;
    enum class Watch { Dialogs, Popups };

    explicit ModalDriver(Watch watch = Watch::Dialogs) : watch_(watch) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
        clock_.start();
    }
    ~ModalDriver() { timer_.stop(); }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // Any answer, given the dialog or popup.
    ModalDriver& then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    // Types the text into the input dialog's field and presses Enter.
    ModalDriver& enterText(const std::string& text) {
        return then([text](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>();
            if (edit == nullptr) {
                close(w);
                return;
            }
            edit->setText(QString::fromStdString(text));
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }
    // Presses Escape in the dialog.
    ModalDriver& escape() {
        return then([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    }
    // Chooses the pattern by index, puts the path into the name field and confirms.
    ModalDriver& chooseFile(const std::string& path, int pattern = 0) {
        return then([path, pattern](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr) {
                close(w);
                return;
            }
            if (pattern >= 0 && pattern < dialog->nameFilters().size())
                dialog->selectNameFilter(dialog->nameFilters().at(pattern));
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (name != nullptr)
                name->setText(QString::fromStdString(path));
            else
                dialog->selectFile(QString::fromStdString(path));
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept is protected
        });
    }
    // Leaves the next dialog alone: one that closes by itself once its work is done.
    ModalDriver& wait() {
        return then([](QWidget*) {});
    }
    // Closes whatever comes next without an answer: OK of a message box, Cancel of others.
    ModalDriver& dismiss() {
        return then([](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w);
                box != nullptr && box->defaultButton() != nullptr) {
                box->defaultButton()->click();
                return;
            }
            close(w);
        });
    }

    const std::vector<SeenDialog>& seen() const { return seen_; }
    bool allStepsUsed() const { return steps_.empty(); }
    int stepsRun() const { return run_; }
    // Dialogs or popups closed because no step was left or the time was up.
    int closedUnanswered() const { return unanswered_; }

private:
    static void close(QWidget* w) {
        if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
        else
            w->close();
    }

    QWidget* shown() const {
        QWidget* w =
            watch_ == Watch::Popups ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
        if (watch_ == Watch::Dialogs && qobject_cast<QDialog*>(w) == nullptr) return nullptr;
        return w;
    }

    void poll() {
        QWidget* w = shown();
        if (w == nullptr) return;
        if (clock_.elapsed() > 20000) {
            ++unanswered_;
            close(w);
            return;
        }
        const auto known =
            std::find_if(handled_.begin(), handled_.end(), [w](const Handled& h) { return h.widget == w; });
        if (known != handled_.end()) {
            // Answered but still open (the answer was refused): give up on it rather than hang.
            if (known->answered && known->since.elapsed() > 5000) {
                seen_.push_back(SeenDialog{"still open", w->windowTitle().toStdString(), {}, {}, -1});
                known->answered = false;
                close(w);
            }
            return;
        }
        Handled& entry = handled_.emplace_back();
        entry.widget = w;
        entry.since.start();
        forgetWhenClosed(w);
        seen_.push_back(describe(w));
        if (steps_.empty()) {
            ++unanswered_;
            close(w);
            return;
        }
        entry.answered = true;
        ++run_;
        QTimer::singleShot(0, w, [step = std::move(steps_.front()), w] { step(w); });
        steps_.pop_front();
    }

    void forgetWhenClosed(QWidget* w) {
        auto forget = [this, w] {
            handled_.erase(
                std::remove_if(handled_.begin(), handled_.end(),
                               [w](const Handled& h) { return h.widget == w || h.widget.isNull(); }),
                handled_.end());
        };
        if (auto* dialog = qobject_cast<QDialog*>(w))
            QObject::connect(dialog, &QDialog::finished, dialog, forget, Qt::SingleShotConnection);
        else if (auto* menu = qobject_cast<QMenu*>(w))
            QObject::connect(menu, &QMenu::aboutToHide, menu, forget, Qt::SingleShotConnection);
    }

    static SeenDialog describe(QWidget* w) {
        SeenDialog d;
        d.title = w->windowTitle().toStdString();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            d.kind = "message";
            d.text = box->text().toStdString();
        } else if (auto* files = qobject_cast<QFileDialog*>(w)) {
            d.kind = "file";
            d.folder = files->directory().absolutePath().toStdString();
            // The list's position, not selectedNameFilter(): with hidden filter details Qt gives
            // back the shortened label, which is not among nameFilters().
            if (auto* types = files->findChild<QComboBox*>("fileTypeCombo"))
                d.pattern = types->currentIndex();
            if (auto* name = files->findChild<QLineEdit*>("fileNameEdit"))
                d.text = name->text().toStdString();
        } else if (qobject_cast<QMenu*>(w) != nullptr) {
            d.kind = "popup";
        } else if (auto* edit = w->findChild<QLineEdit*>()) {
            d.kind = "input";
            d.text = edit->text().toStdString();
        } else {
            d.kind = "other";
        }
        return d;
    }

    struct Handled {
        QPointer<QWidget> widget;
        QElapsedTimer since;
        bool answered = false;
    };

    Watch watch_;
    QTimer timer_;
    QElapsedTimer clock_;
    std::vector<Handled> handled_;
    std::deque<Step> steps_;
    std::vector<SeenDialog> seen_;
    int run_ = 0;
    int unanswered_ = 0;
};
