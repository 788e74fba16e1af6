// A load that fails while a file is shown (the open command, a drop): its message, and the
// session goes on with the shown file, its records and its picture untouched.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "app/event_loop.h"
#include "runtime/ui/keys.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/window_internal.h"
#include "tests/app/shell_fixture.h"

namespace {

class FailedLoadTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::vector<uint8_t> bytes(3000);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
        shown_ = bytes;
        load(bytes, "shown.bin");
        setControlState(WidthScrollBar, 4);
        setControlState(RowScrollBar, 5);
        apply_position();
        before_ = snapshot();
    }

    struct Snapshot {
        std::vector<uint8_t> data;
        std::string folder;
        std::string name;
        int32_t row_maximum = 0;
        int32_t row = 0;
        std::vector<ColourValue> canvas;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const {
        Snapshot s;
        if (loaded_data.loaded()) {
            s.data.assign(loaded_data.bytes.get(), loaded_data.bytes.get() + loaded_data.len + 16);
        }
        s.folder = shell_state.last_folder;
        s.name = shell_state.last_file_name;
        s.row_maximum = controlAttribute(RowScrollBar, 2);
        s.row = controlState(RowScrollBar);
        for (int y = 0; y < 64; y += 7) {
            for (int x = 0; x < 600; x += 13) s.canvas.push_back(canvas_pixel(x, y));
        }
        return s;
    }
    // The file is still there, as shown before, and the view still draws it.
    void expect_shown_file_kept(const std::string& what) {
        EXPECT_EQ(loaded_data.len, static_cast<int32_t>(shown_.size())) << what;
        EXPECT_TRUE(snapshot() == before_) << what << ": data, records or picture changed";
    }

    std::vector<uint8_t> shown_;
    Snapshot before_;
};

TEST_F(FailedLoadTest, DropOfAFileThatCannotBeViewedKeepsTheShownFile) {
    const std::string empty = write_file("empty.bin", {});
    const std::string missing = path("gone.bin");
    ModalDriver dialogs;
    dialogs.dismiss();
    dialogs.dismiss();
    dialogs.dismiss();
    handle_drop(missing + "\n" + write_file("other.bin", {1, 2, 3}));
    expect_shown_file_kept("missing");
    handle_drop(empty);
    expect_shown_file_kept("empty");
    handle_drop(dir_.string());
    expect_shown_file_kept("folder");
    ASSERT_EQ(dialogs.seen().size(), 3u);
    EXPECT_EQ(dialogs.seen()[0].title, "File Error");
    EXPECT_EQ(dialogs.seen()[0].text, "Unable to open:" + missing);
    EXPECT_EQ(dialogs.seen()[1].title, "File Read Error");
    EXPECT_EQ(dialogs.seen()[1].text, "Unable to read:" + empty);
    EXPECT_EQ(dialogs.seen()[2].title, "File Error");

    // The session goes on: a later drop of a good file loads it.
    handle_drop(write_file("next.bin", std::vector<uint8_t>(40, 0x0F)));
    EXPECT_EQ(loaded_data.len, 40);
    EXPECT_EQ(shell_state.last_file_name, "next.bin");
}

TEST_F(FailedLoadTest, OpenCommandThatCannotLoadTheChosenFileGoesOn) {
    const std::string empty = write_file("empty.bin", {});
    ModalDriver dialogs;
    dialogs.chooseFile(empty);
    dialogs.dismiss();
    EXPECT_EQ(handle_command(CmdOpen), LoopAction::Continue);
    ASSERT_EQ(dialogs.seen().size(), 2u);
    EXPECT_EQ(dialogs.seen()[1].title, "File Read Error");
    EXPECT_EQ(dialogs.seen()[1].text, "Unable to read:" + empty);
    // Only the dialog's folder memory follows the choice, as for any chosen file.
    before_.folder = dir_.string() + "/";
    expect_shown_file_kept("empty file chosen");
}

// The message box that reports a failed drop may be closed with Escape: that press does not
// also end the program, a new one does.
TEST_F(FailedLoadTest, EscapeThatClosedTheMessageOfAFailedDropDoesNotQuit) {
    ModalDriver dialogs;
    dialogs.dismiss();
    handle_drop(path("gone.bin"));
    noteKeyPressed(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Continue);
    noteKeyReleased(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Continue);
    noteKeyPressed(VirtualKey::Escape);
    EXPECT_EQ(poll_keys(), LoopAction::Quit);
    noteKeyReleased(VirtualKey::Escape);
}

// A name that is not valid UTF-8, dropped on the canvas, reaches the load byte for byte.
TEST_F(FailedLoadTest, DroppedNameThatIsNotUtf8IsLoaded) {
    const std::string name = "sprite\xff\xfe.bin";
    const std::string file = write_file(name, std::vector<uint8_t>(77, 0xAA));
    QWidget* canvas = controlWidget(CanvasView);
    ASSERT_NE(canvas, nullptr);
    std::string uri = "file://";
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            uri += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            uri += escaped;
        }
    }
    QMimeData data;
    data.setData("text/uri-list", QByteArray::fromStdString(uri + "\r\n"));
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &drop);
    ASSERT_TRUE(drop.isAccepted());

    ModalDriver dialogs;  // a failed load would show a box; none may come
    for (int i = 0; i < 50 && loaded_data.len != 77; ++i) {
        const int32_t code = pollEvent(20);
        if (code != 0) {
            EXPECT_EQ(loop_step(code), LoopAction::Continue);
        }
    }
    EXPECT_TRUE(dialogs.seen().empty());
    EXPECT_EQ(loaded_data.len, 77);
    EXPECT_EQ(shell_state.last_file_name, name);
}

}  // namespace
