// The layout dump: the menus, the controls and the status line as the running program has them,
// written as JSON for programs that drive the window from outside (the end-to-end tests), so
// that they find an item by its label and a control by its kind without reading the sources.
// Over Qt and POSIX:
// - A request arrives as SIGUSR1; the handler only writes a byte into a pipe, whose reading end
//   a QSocketNotifier watches, so the dump itself is written on the user-interface thread
//   whenever its event loop runs, also inside a dialog's loop.
// - The file is replaced whole (ReplacingFile), so a reader never sees half a dump.
#include "runtime/ui/control_record.h"
#include "runtime/ui/statusbar.h"
#include "runtime/ui/ui_dump_internal.h"

#include "runtime/files/replacing_file.h"

#include <QAction>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

namespace {

std::string dumpPath;
bool firstWritten = false;
int wakePipe[2] = {-1, -1};
QSocketNotifier* requests = nullptr;

void askForDump(int) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(wakePipe[1], &byte, 1);
    errno = saved;
}

// Entries as the keyboard walks them: a submenu holds its own, a separator is marked as such.
QJsonArray entriesOf(const QWidget& level) {
    QJsonArray entries;
    for (const QAction* action : level.actions()) {
        QJsonObject entry;
        if (action->isSeparator()) {
            entry[QStringLiteral("separator")] = true;
        } else {
            entry[QStringLiteral("label")] = action->text();
            if (const QMenu* submenu = action->menu()) entry[QStringLiteral("entries")] = entriesOf(*submenu);
        }
        entries.append(entry);
    }
    return entries;
}

QJsonArray menus() {
    QJsonArray list;
    forEachMenu([&](int number, int window, bool bar, const QWidget& root) {
        list.append(
            QJsonObject{{QStringLiteral("number"), number},
                        {QStringLiteral("window"), window},
                        {QStringLiteral("kind"), bar ? QStringLiteral("bar") : QStringLiteral("popup")},
                        {QStringLiteral("entries"), entriesOf(root)}});
    });
    return list;
}

QJsonArray controls() {
    QJsonArray list;
    forEachControl([&](ControlRecord& control) {
        const QRect area = control.area();
        QJsonObject entry{{QStringLiteral("number"), control.number()},
                          {QStringLiteral("window"), control.window()},
                          {QStringLiteral("kind"), QString::fromStdString(control.kind())},
                          {QStringLiteral("text"), QString::fromStdString(control.text())},
                          {QStringLiteral("state"), static_cast<int>(control.state())},
                          {QStringLiteral("x"), area.x()},
                          {QStringLiteral("y"), area.y()},
                          {QStringLiteral("width"), area.width()},
                          {QStringLiteral("height"), area.height()}};
        QJsonArray rows;
        for (const std::string& row : control.rows()) rows.append(QString::fromStdString(row));
        if (!rows.isEmpty()) entry[QStringLiteral("rows")] = rows;
        list.append(entry);
    });
    return list;
}

QJsonArray statusBars() {
    QJsonArray list;
    forEachStatusBar([&](int number, int window, int fields) {
        QJsonArray texts;
        for (int field = 0; field < fields; ++field)
            texts.append(QString::fromStdString(statusText(number, field)));
        list.append(QJsonObject{{QStringLiteral("number"), number},
                                {QStringLiteral("window"), window},
                                {QStringLiteral("fields"), texts}});
    });
    return list;
}

void writeDump() {
    const QJsonObject dump{{QStringLiteral("menus"), menus()},
                           {QStringLiteral("controls"), controls()},
                           {QStringLiteral("status"), statusBars()}};
    const QByteArray text = QJsonDocument(dump).toJson();
    (void)replaceFileWith(dumpPath, text.constData(), static_cast<size_t>(text.size()));
}

}  // namespace

void startUiDump() {
    const char* path = std::getenv("PIXELSIEVE_UI_DUMP");
    if (!path || !*path || requests || !qApp) return;
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    dumpPath = path;
    firstWritten = false;
    requests = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read);
    QObject::connect(requests, &QSocketNotifier::activated, requests, [] {
        char drained[64];
        while (::read(wakePipe[0], drained, sizeof drained) > 0) {
        }
        writeDump();
    });
    struct sigaction action {};
    action.sa_handler = askForDump;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGUSR1, &action, nullptr);
}

void stopUiDump() {
    if (!requests) return;
    std::signal(SIGUSR1, SIG_IGN);
    delete requests;
    requests = nullptr;
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
    dumpPath.clear();
}

void uiDumpAtFirstWait() {
    if (!requests || firstWritten) return;
    firstWritten = true;
    writeDump();
}
