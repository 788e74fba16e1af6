// Dropping files and other data on a control.
#include "window_fixture.h"

#include "runtime/ui/controls.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

using FileDropTest = WindowTest;

constexpr int CANVAS = 0;

// Sends a drag entering the widget and, when it is accepted, the drop; the drop action or
// IgnoreAction.
Qt::DropAction dragAndDrop(QWidget* widget, QMimeData* data, Qt::DropActions offered,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF at(15, 25);
    QDragEnterEvent enter(at.toPoint(), offered, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDropEvent drop(at, offered, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(widget, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

class FileDrops : public FileDropTest {
protected:
    void SetUp() override {
        FileDropTest::SetUp();
        ASSERT_NE(createCanvas(CANVAS, 0, 0, 100, 100), 0);
        enableFileDrop(CANVAS, 15, 1);
        canvas = controlWidget(CANVAS);
    }
    QWidget* canvas = nullptr;
};

TEST_F(FileDrops, ThreeFilesGiveOneEventWithAllPathsUntilTheNextWait) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/data/a.bin"), QUrl::fromLocalFile("/data/b c.bin"),
                   QUrl::fromLocalFile("/other/c")});
    EXPECT_TRUE(canvas->acceptDrops());
    EXPECT_EQ(dragAndDrop(canvas, &files, Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    ASSERT_EQ(waitEvent(), EventCode::DropOnControl);
    EXPECT_EQ(eventObject(), CANVAS);
    EXPECT_EQ(eventKind(), 0);
    EXPECT_EQ(eventWindow(), WINDOW);
    EXPECT_EQ(droppedFiles(), "/data/a.bin\n/data/b c.bin\n/other/c");
    EXPECT_TRUE(eventQueueEmpty()) << "one event for the whole drop";
    postEvent(EventCode::Menu, WINDOW, 1, 0);
    waitEvent();
    EXPECT_EQ(droppedFiles(), "");
}

TEST_F(FileDrops, TextAndRemoteFilesAreRefused) {
    QMimeData text;
    text.setText("some words");
    EXPECT_EQ(dragAndDrop(canvas, &text, Qt::CopyAction), Qt::IgnoreAction);
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/a.bin")});
    EXPECT_EQ(dragAndDrop(canvas, &remote, Qt::CopyAction), Qt::IgnoreAction);
    EXPECT_TRUE(eventQueueEmpty());
    EXPECT_EQ(droppedFiles(), "");
}

TEST_F(FileDrops, OnlyAllowedActionsAreOfferedAndReRegisteringReplacesThem) {
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/data/a.bin")});
    EXPECT_EQ(dragAndDrop(canvas, &files, Qt::MoveAction), Qt::IgnoreAction)
        << "a source that only moves cannot be copied from";
    enableFileDrop(CANVAS, 15, 1 | 2);
    EXPECT_EQ(dragAndDrop(canvas, &files, Qt::MoveAction), Qt::MoveAction);
    EXPECT_EQ(dragAndDrop(canvas, &files, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
              Qt::MoveAction);
    EXPECT_EQ(dragAndDrop(canvas, &files, Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    enableFileDrop(CANVAS, 15, 0);
    EXPECT_FALSE(canvas->acceptDrops());
    EXPECT_EQ(dragAndDrop(canvas, &files, Qt::CopyAction), Qt::IgnoreAction);
    int drops = 0;
    while (takeQueuedEvent() == EventCode::DropOnControl) ++drops;
    EXPECT_EQ(drops, 1) << "the three accepted drops of the same control coalesce";
}

// Qt's URLs would turn these bytes into U+FFFD; the names must arrive as the bytes they are,
// whether the source escaped them or not.
TEST_F(FileDrops, NamesThatAreNotUtf8ArriveByteForByte) {
    QMimeData escaped;
    escaped.setData("text/uri-list", "file:///data/sprite%FF%FE.bin\r\nfile:///data/plain.bin\r\n");
    EXPECT_EQ(dragAndDrop(canvas, &escaped, Qt::CopyAction), Qt::CopyAction);
    ASSERT_EQ(waitEvent(), EventCode::DropOnControl);
    EXPECT_EQ(droppedFiles(), "/data/sprite\xff\xfe.bin\n/data/plain.bin");

    // Bytes left unescaped, handed over as a platform's drop hands them (QMimeData::setData
    // would already have parsed them into URLs).
    class PlatformUriList : public QMimeData {
    public:
        explicit PlatformUriList(QByteArray bytes) : bytes_(std::move(bytes)) {}
        QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }

    protected:
        QVariant retrieveData(const QString& type, QMetaType) const override {
            return type == QStringLiteral("text/uri-list") ? QVariant(bytes_) : QVariant();
        }

    private:
        QByteArray bytes_;
    };
    PlatformUriList raw("file:///data/latin1-\xe9t\xe9.bin\r\n");
    EXPECT_EQ(dragAndDrop(canvas, &raw, Qt::CopyAction), Qt::CopyAction);
    ASSERT_EQ(waitEvent(), EventCode::DropOnControl);
    EXPECT_EQ(droppedFiles(), "/data/latin1-\xe9t\xe9.bin");
}

}  // namespace
