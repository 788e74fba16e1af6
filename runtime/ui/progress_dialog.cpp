// The progress requester: a small QDialog with a label, a bar and a Cancel button.
// Not a QProgressDialog: that one runs the event loop from inside setValue when it is modal, and
// the bar is set here from inside the delivery of an event, which must not nest another round of
// event processing. The dialog watches the events that other threads post (see
// posted_events_internal.h) for its lifetime.
#include "runtime/ui/progress.h"

#include "runtime/ui/hold_back_internal.h"
#include "runtime/ui/posted_events_internal.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int BAR_SCALE = 1000;

// Removes the watcher however the dialog ends.
class Watching {
public:
    explicit Watching(PostedEventWatcher watcher) { setPostedEventWatcher(std::move(watcher)); }
    ~Watching() { setPostedEventWatcher(nullptr); }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;
};

}  // namespace

int progressDialog(const std::string& title, const std::string& text, int object, int32_t progressCode,
                   int startThousandths, const std::function<bool()>& done) {
    if (!qApp || !done) return 0;
    HeldBackWindows held;
    QDialog dialog(held.owner(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setObjectName(QStringLiteral("progressDialog"));
    dialog.setWindowTitle(QString::fromUtf8(title));
    dialog.setWindowModality(Qt::ApplicationModal);

    auto* label = new QLabel(&dialog);
    label->setObjectName(QStringLiteral("text"));
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromUtf8(text));

    auto* bar = new QProgressBar(&dialog);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setRange(0, BAR_SCALE);
    bar->setValue(std::clamp(startThousandths, 0, BAR_SCALE));
    bar->setMinimumWidth(280);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setDefault(true);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(bar);
    layout->addLayout(buttons);
    dialog.setFixedSize(dialog.sizeHint());

    bool finished = false;
    const Watching watching([&](int32_t code, int, int eventObject, int32_t kind) {
        if (eventObject != object) return false;
        const bool progress = code == progressCode;
        if (progress) bar->setValue(std::clamp<int32_t>(kind, 0, BAR_SCALE));
        // Closing only ends the dialog's loop once this delivery is over, after the event was
        // posted: a done event is still queued for the application.
        if (!finished && done()) {
            finished = true;
            dialog.accept();
        }
        return progress;
    });
    if (done()) return 1;
    const int answer = dialog.exec();
    return finished || answer == QDialog::Accepted ? 1 : 0;
}
