// Status bars over a widget of their own, drawn field by field.
// Over Qt: QStatusBar lays out its own widgets; the fields here keep the fixed right edges
// the program asks for instead. Centred and right-aligned text are drawn with Qt's alignment
// rather than encoded as leading tabs, and right-aligned text keeps clear of the edge by a
// margin rather than by four appended spaces.
#include "runtime/ui/statusbar.h"

#include "runtime/ui/event_queue.h"
#include "runtime/ui/object_table.h"
#include "runtime/ui/statusbar_layout.h"
#include "runtime/ui/ui_dump_internal.h"
#include "runtime/ui/window_internal.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

constexpr int MAX_FIELDS = 256;
constexpr int MIN_HEIGHT = 18;
constexpr int TEXT_MARGIN = 3;
// Between two fields, as the platform's bar leaves it.
constexpr int FIELD_GAP = 2;

struct FieldText {
    QString text;
    int flags = StatusFlag::Plain;
};

class StatusBarWidget : public QWidget {
public:
    explicit StatusBarWidget(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        setAutoFillBackground(true);
        setFocusPolicy(Qt::NoFocus);
        setFixedHeight(std::max(MIN_HEIGHT, fontMetrics().height() + 4));
        // Until fields are added the bar has one, reaching its right end.
        texts_.resize(1);
    }

    void addField(int width) {
        if (static_cast<int>(widths_.size()) >= MAX_FIELDS) return;
        widths_.push_back(width);
        texts_.resize(std::max<size_t>(1, widths_.size()));
        update();
    }

    int fieldCount() const { return static_cast<int>(texts_.size()); }

    // Right edges as laid out now.
    std::vector<int> edges() const {
        if (widths_.empty()) return {width()};
        return statusFieldEdges(widths_, availableWidth());
    }

    void setText(int field, const QString& text, int flags) {
        FieldText& slot = texts_[field];
        if (slot.text == text && slot.flags == flags) return;
        slot.text = text;
        slot.flags = flags;
        update(fieldRect(field));
    }

    const QString& text(int field) const { return texts_[field].text; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (int field = 0; field < fieldCount(); ++field) {
            const QRect rect = fieldRect(field);
            if (rect.width() <= 0) continue;
            const FieldText& slot = texts_[field];
            if (slot.flags & StatusFlag::Raised) {
                qDrawShadePanel(&painter, rect, palette(), false, 1);
            } else if (!(slot.flags & StatusFlag::NoBorder)) {
                qDrawShadePanel(&painter, rect, palette(), true, 1);
            }
            Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft;
            if (slot.flags & StatusFlag::Centred) align = Qt::AlignVCenter | Qt::AlignHCenter;
            if (slot.flags & StatusFlag::RightAligned) align = Qt::AlignVCenter | Qt::AlignRight;
            const QRect textRect = rect.adjusted(TEXT_MARGIN, 0, -TEXT_MARGIN, 0);
            painter.save();
            painter.setClipRect(rect);
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(textRect, int(align) | Qt::TextSingleLine, slot.text);
            painter.restore();
        }
    }

private:
    // A window with a sizing border keeps room for the size grip at the right end.
    int availableWidth() const {
        const QWidget* top = window();
        const bool sizable = top->minimumSize() != top->maximumSize() && !top->isMaximized();
        return sizable ? width() - (height() - 3) : width();
    }

    QRect fieldRect(int field) const {
        const std::vector<int> right = edges();
        const int left = field == 0 ? 0 : right[field - 1] + FIELD_GAP;
        return QRect(QPoint(left, 1), QPoint(right[field] - 1, height() - 1));
    }

    std::vector<int> widths_;
    std::vector<FieldText> texts_;
};

struct StatusBarRecord {
    QPointer<StatusBarWidget> widget;
    int window = -1;
};

ObjectTable<StatusBarRecord> bars(16);
int lastCreated = -1;

// A record whose bar went away with its window counts as unknown.
StatusBarRecord* findBar(int number) {
    StatusBarRecord* record = bars.find(number);
    if (record && !record->widget) {
        bars.erase(number);
        return nullptr;
    }
    return record;
}

void destroyBar(int number) {
    StatusBarRecord* record = bars.find(number);
    if (!record) return;
    const int window = record->window;
    delete record->widget.data();
    bars.erase(number);
    ProgramChange quiet;
    relayoutWindow(window);
}

}  // namespace

int createStatusBar(int number, WindowHandle window) {
    if (number < 0 || !qApp || !window) return 0;
    const int windowNumber = windowNumberOf(static_cast<QWidget*>(window));
    WindowRecord* windowRec = windowRecord(windowNumber);
    if (!windowRec || !windowRec->frame) return 0;
    destroyBar(number);
    auto record = std::make_unique<StatusBarRecord>();
    auto* widget = new StatusBarWidget(windowRec->frame);
    record->widget = widget;
    record->window = windowNumber;
    bars.put(number, std::move(record));
    lastCreated = number;
    windowRec->statusBar = widget;
    widget->show();
    ProgramChange quiet;
    relayoutWindow(windowNumber);
    return 1;
}

void addStatusField(int width) {
    StatusBarRecord* record = findBar(lastCreated);
    if (!record) return;
    record->widget->addField(width);
}

int setStatusText(int bar, int field, const std::string& text, int flags) {
    StatusBarRecord* record = findBar(bar);
    if (!record || field < 0 || field >= record->widget->fieldCount()) return 0;
    ProgramChange quiet;
    record->widget->setText(field, QString::fromUtf8(text), flags);
    return 1;
}

std::string statusText(int bar, int field) {
    StatusBarRecord* record = findBar(bar);
    if (!record || field < 0 || field >= record->widget->fieldCount()) return {};
    return record->widget->text(field).toUtf8().toStdString();
}

int statusFieldRightEdge(int bar, int field) {
    StatusBarRecord* record = findBar(bar);
    if (!record || field < 0 || field >= record->widget->fieldCount()) return -1;
    return record->widget->edges()[field];
}

void forEachStatusBar(const std::function<void(int number, int window, int fields)>& visit) {
    for (int number = 0; number < bars.size(); ++number) {
        if (const StatusBarRecord* record = findBar(number))
            visit(number, record->window, record->widget->fieldCount());
    }
}
