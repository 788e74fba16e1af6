#pragma once
// Drives the program's modal dialogs from a timer, the way a user would answer them, so that a
// command that blocks in a dialog can be called straight from a test.
//
// Steps are queued before the command runs. Every 10 ms the timer looks at the active modal
// widget; each new dialog consumes the next step. Every dialog seen is logged (kind, title and,
// for message boxes, the text) so a test can assert on what the user was shown. A dialog with no
// step left is logged and rejected, and after the deadline any dialog is rejected, so a wrong
// expectation fails the test instead of hanging it; so does a dialog still open 5 s after its
// answer (logged as "still open").
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct SeenDialog {
    std::string kind;  // "message", "file", "input" or "other"
    std::string title;
    std::string text;    // message boxes: their text; file dialogs: the name field when shown
    std::string folder;  // file dialogs: the folder shown when they opened
    int pattern = -1;    // file dialogs: the index of the pattern selected when they opened
};

class ModalDriver {
public:
    using Step = std::function<void(QWidget*)>;

    ModalDriver() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
        clock_.start();
    }
    ~ModalDriver() { timer_.stop(); }

    // Types the text into the input dialog's field and presses Enter.
    void enterText(const std::string& text) {
        steps_.push_back([text](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>();
            if (edit == nullptr) {
                static_cast<QDialog*>(w)->reject();
                return;
            }
            edit->setText(QString::fromStdString(text));
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }
    // Presses Escape in the input dialog.
    void escape() {
        steps_.push_back([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    }
    // Chooses the pattern by index, puts the path into the name field and confirms.
    void chooseFile(const std::string& path, int pattern = 0) {
        steps_.push_back([path, pattern](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr) {
                static_cast<QDialog*>(w)->reject();
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
    void wait() {
        steps_.push_back([](QWidget*) {});
    }
    // Closes whatever dialog comes next without an answer: OK of a message box, Cancel of others.
    void dismiss() {
        steps_.push_back([](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w);
                box != nullptr && box->defaultButton() != nullptr) {
                box->defaultButton()->click();
                return;
            }
            static_cast<QDialog*>(w)->reject();
        });
    }

    const std::vector<SeenDialog>& seen() const { return seen_; }
    bool allStepsUsed() const { return steps_.empty(); }

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr) return;
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog == nullptr) return;
        if (w == handled_) {
            // Answered but still open (the answer was refused): give up on it rather than hang.
            if (handledAt_.elapsed() > 5000) {
                seen_.push_back(SeenDialog{"still open", w->windowTitle().toStdString(), {}, {}, -1});
                dialog->reject();
            }
            return;
        }
        handled_ = w;
        handledAt_.start();
        // A dialog object may be shown again by a later requester: it counts as new once closed.
        QObject::connect(
            dialog, &QDialog::finished, dialog,
            [this, dialog] {
                if (handled_ == dialog) handled_ = nullptr;
            },
            Qt::SingleShotConnection);
        seen_.push_back(describe(w));
        if (steps_.empty() || clock_.elapsed() > 20000) {
            dialog->reject();
            return;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(w);
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
        } else if (auto* edit = w->findChild<QLineEdit*>()) {
            d.kind = "input";
            d.text = edit->text().toStdString();
        } else {
            d.kind = "other";
        }
        return d;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    QElapsedTimer handledAt_;
    QPointer<QWidget> handled_;
    std::deque<Step> steps_;
    std::vector<SeenDialog> seen_;
};
