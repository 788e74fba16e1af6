// The message box and the one-line input dialog.
// Over Qt: the message box is a QMessageBox, the input dialog a small QDialog laid out by hand
// at the fixed positions of its elements. Both are application-modal (see HeldBackWindows).
// The input dialog's client area is 300 x 130; a window manager adds its frame around it.
#include "runtime/ui/requesters.h"

#include "runtime/ui/hold_back_internal.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {

// The field opens with its default text selected and the caret after it, so that typing
// replaces the text and Enter accepts it, whatever reason the first focus comes with.
class EntryField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        if (first_) {
            first_ = false;
            selectAll();
        }
    }

private:
    bool first_ = true;
};

// Button sets and icons of the flags, with the codes the buttons answer.
constexpr int ANSWER_OK = 1, ANSWER_CANCEL = 2, ANSWER_ABORT = 3, ANSWER_RETRY = 4, ANSWER_IGNORE = 5,
              ANSWER_YES = 6, ANSWER_NO = 7;

QMessageBox::StandardButtons buttonsOf(int flags) {
    switch (flags & 0xF) {
        case 1:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case 2:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case 3:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case 4:
            return QMessageBox::Yes | QMessageBox::No;
        case 5:
            return QMessageBox::Retry | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconOf(int flags) {
    switch (flags & 0xF0) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int answerOf(QMessageBox::StandardButton button, QMessageBox::StandardButtons offered) {
    switch (button) {
        case QMessageBox::Ok:
            return ANSWER_OK;
        case QMessageBox::Cancel:
            return ANSWER_CANCEL;
        case QMessageBox::Abort:
            return ANSWER_ABORT;
        case QMessageBox::Retry:
            return ANSWER_RETRY;
        case QMessageBox::Ignore:
            return ANSWER_IGNORE;
        case QMessageBox::Yes:
            return ANSWER_YES;
        case QMessageBox::No:
            return ANSWER_NO;
        default:
            // Closed without a button: the box's way out.
            return offered.testFlag(QMessageBox::Cancel) ? ANSWER_CANCEL : ANSWER_OK;
    }
}

// "\r\n", and a lone "\r" or "\n", each end a line.
QString withLineBreaks(const std::string& text) {
    QString result = QString::fromUtf8(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

}  // namespace

int messageBox(const std::string& title, const std::string& text, int flags) {
    if (!qApp) return 0;
    HeldBackWindows held;
    const QMessageBox::StandardButtons buttons = buttonsOf(flags);
    QMessageBox box(iconOf(flags), QString::fromUtf8(title), withLineBreaks(text), buttons, held.owner());
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons == QMessageBox::Ok) box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    const auto clicked =
        box.clickedButton() ? box.standardButton(box.clickedButton()) : QMessageBox::NoButton;
    return answerOf(clicked, buttons);
}

std::string inputDialog(const std::string& title, const std::string& prompt, const std::string& defaultText) {
    if (!qApp) return {};
    HeldBackWindows held;
    QDialog dialog(held.owner(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setObjectName(QStringLiteral("inputDialog"));
    dialog.setWindowTitle(QString::fromUtf8(title));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setFixedSize(300, 130);

    auto* label = new QLabel(&dialog);
    label->setObjectName(QStringLiteral("prompt"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setText(QString::fromUtf8(prompt));
    label->setGeometry(10, 10, 280, 22);

    auto* edit = new EntryField(&dialog);
    edit->setObjectName(QStringLiteral("entry"));
    edit->setGeometry(10, 32, 275, 21);
    edit->setText(QString::fromUtf8(defaultText));

    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(110, 67, 80, 25);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        dialog.move(area.left() + area.width() / 2 - 150, area.top() + area.height() / 2 - 65);
    }
    edit->setFocus(Qt::OtherFocusReason);
    if (dialog.exec() != QDialog::Accepted) return {};
    return edit->text().toUtf8().toStdString();
}
