// Dropping data on controls, over Qt's drag and drop.
//
// A control registered with enableFileDrop gets a filter that answers the drag events in its
// place. DropFormat::Files is a list of local files (URLs that are all local files, at least one); a
// drag that offers no registered format, or files that are not local, is refused, so nothing
// is posted. DropFormat::Text is plain text. The drop's data block lives until the next wait.
// The file names are read from the list's raw bytes (file_uri.h), not from Qt's URLs, which
// lose every name that is not valid UTF-8.
#include "runtime/ui/control_record.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/events.h"
#include "runtime/files/file_uri.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct DropData {
    int format = 0;
    int action = 0;
    int x = 0;
    int y = 0;
    std::string bytes;  // files: the full paths joined by "\n"
};

void releaseDropData(void* data) { delete static_cast<DropData*>(data); }

const QString URI_LIST = QStringLiteral("text/uri-list");

// The full paths of the dragged files, or false when the data is not a list of local files.
bool localFiles(const QMimeData* mime, std::string* joined) {
    if (!mime || !mime->hasFormat(URI_LIST)) return false;
    const QByteArray list = mime->data(URI_LIST);
    const std::optional<std::vector<std::string>> paths =
        localPathsOfUriList(std::string_view(list.constData(), static_cast<size_t>(list.size())));
    if (!paths) return false;
    std::string all;
    for (const std::string& path : *paths) {
        if (!all.empty()) all += '\n';
        all += path;
    }
    *joined = std::move(all);
    return true;
}

bool offers(const QMimeData* mime, int format) {
    std::string ignored;
    if (format == DropFormat::Files) return localFiles(mime, &ignored);
    if (format == DropFormat::Text) return mime && mime->hasText();
    return false;
}

// Link with Control+Shift or Alt alone, move with Shift alone or when copying is impossible,
// otherwise copy; 0 when the allowed and offered actions leave none.
int chooseAction(int allowed, Qt::DropActions offered, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool canCopy = (allowed & DropAction::Copy) && (offered & Qt::CopyAction);
    const bool canMove = (allowed & DropAction::Move) && (offered & Qt::MoveAction);
    const bool canLink = (allowed & DropAction::Link) && (offered & Qt::LinkAction);
    if (canLink && (held == (Qt::ControlModifier | Qt::ShiftModifier) || held == Qt::AltModifier))
        return DropAction::Link;
    if (canMove && (held == Qt::ShiftModifier || !canCopy)) return DropAction::Move;
    if (canCopy) return DropAction::Copy;
    return 0;
}

class DropFilter : public QObject {
public:
    DropFilter(QWidget* widget, int control, int window)
        : QObject(widget), control_(control), window_(window) {}

    std::vector<std::pair<int, int>> formats;  // (format, allowed actions), in registration order

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            const int action = actionFor(drag, nullptr);
            if (action == 0) {
                drag->ignore();
            } else {
                drag->setDropAction(static_cast<Qt::DropAction>(action));
                drag->accept();
            }
            return true;
        }
        case QEvent::DragLeave: return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            int format = 0;
            const int action = actionFor(drop, &format);
            auto data = std::make_unique<DropData>();
            bool read = false;
            if (action != 0 && format == DropFormat::Files) {
                read = localFiles(drop->mimeData(), &data->bytes);
            } else if (action != 0 && format == DropFormat::Text) {
                data->bytes = drop->mimeData()->text().toStdString();
                read = true;
            }
            if (!read) {
                drop->ignore();
                return true;
            }
            data->format = format;
            data->action = action;
            data->x = drop->position().toPoint().x();
            data->y = drop->position().toPoint().y();
            drop->setDropAction(static_cast<Qt::DropAction>(action));
            drop->accept();
            postEvent(EventCode::DropOnControl, window_, control_, 0, data.release(),
                      releaseDropData);
            return true;
        }
        default: return false;
        }
    }

private:
    // The action for the first registered format the data offers.
    int actionFor(const QDropEvent* event, int* format) const {
        for (const auto& [registered, allowed] : formats) {
            if (!offers(event->mimeData(), registered)) continue;
            if (format) *format = registered;
            return chooseAction(allowed, event->possibleActions(), event->modifiers());
        }
        return 0;
    }

    int control_;
    int window_;
};

DropFilter* filterOf(QWidget* widget) {
    for (QObject* child : widget->children())
        if (auto* filter = dynamic_cast<DropFilter*>(child)) return filter;
    return nullptr;
}

}  // namespace

void enableFileDrop(int control, int format, int actions) {
    ControlRecord* record = controlRecord(control);
    QWidget* widget = record ? record->widget() : nullptr;
    if (!widget) return;
    DropFilter* filter = filterOf(widget);
    if (!filter) {
        if (actions == 0) return;
        filter = new DropFilter(widget, control, record->window());
        widget->installEventFilter(filter);
    }
    auto& formats = filter->formats;
    auto found = std::find_if(formats.begin(), formats.end(),
                              [format](const auto& entry) { return entry.first == format; });
    if (actions == 0) {
        if (found != formats.end()) formats.erase(found);
    } else if (found != formats.end()) {
        found->second = actions;
    } else {
        formats.emplace_back(format, actions);
    }
    if (formats.empty()) {
        widget->setAcceptDrops(false);
        delete filter;
        return;
    }
    widget->setAcceptDrops(true);
}

std::string droppedFiles() {
    const int32_t code = currentEventCode();
    if (code != EventCode::DropOnControl && code != EventCode::DropOnWindow) return {};
    const auto* data = static_cast<const DropData*>(currentEventData());
    if (!data || data->format != DropFormat::Files) return {};
    return data->bytes;
}
