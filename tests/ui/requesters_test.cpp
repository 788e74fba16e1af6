#include "runtime/ui/requesters.h"

#include "runtime/ui/file_dialog_args.h"
#include "runtime/ui/hold_back_internal.h"
#include "runtime/ui/window_internal.h"
#include "tests/support/modal_driver.h"
#include "tests/ui/ui_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(PatternListTest, PairsUpToTheFirstEmptyPart) {
    const auto images = parsePatternList("Portable Network Graphics(*.png)|*.png|Bitmap (*.bmp)|*.bmp");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[1].label, "Bitmap (*.bmp)");
    EXPECT_EQ(images[1].pattern, "*.bmp");
    EXPECT_EQ(parsePatternList("Text|*.txt;*.doc").at(0).pattern, "*.txt;*.doc");
    EXPECT_EQ(parsePatternList("All|*.*|dangling").size(), 1u);
    EXPECT_EQ(parsePatternList("All|*.*||*.x|More|*.m").size(), 1u);
    EXPECT_TRUE(parsePatternList("").empty());
    EXPECT_TRUE(parsePatternList("|*.bin").empty());
}

TEST(DefaultPathTest, SplitsIntoFolderAndUsableName) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"/data/sprites/", "/data/sprites", ""},
        {"/data/sprites/game.bin", "/data/sprites", "game.bin"},
        {"C:\\games\\game.bin", "C:\\games", "game.bin"},
        {"data\\game.bin", "data", "game.bin"},
        {"game.bin", "", "game.bin"},
        {"*.bin", "", ""},
        {"/data/what?.bin", "/data", ""},
        {"\\game.bin", "", ""},
        {"/game.bin", "/", "game.bin"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const InitialLocation location = splitDefaultPath(c.path);
        EXPECT_EQ(location.folder, c.folder) << c.path;
        EXPECT_EQ(location.name, c.name) << c.path;
    }
    EXPECT_EQ(splitDefaultPath("/d/" + std::string(300, 'n')).name.size(), 259u);
}

class RequesterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Qt's file dialog keeps its history in the user's configuration; keep it out of there.
        config_ = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", config_->path().toLocal8Bit());
    }
    static void TearDownTestSuite() {
        delete config_;
        config_ = nullptr;
    }
    void TearDown() override {
        closeWindow(0);
        takeEvents();
    }
    static inline QTemporaryDir* config_ = nullptr;
};

TEST_F(RequesterTest, MessageBoxHasTitleTextAndOneOkButton) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    qsizetype buttons = 0;
    ModalDriver script;
    script.then([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons().size();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(messageBox("Save Image Error", "Error saving\r\n/tmp/x.png"), 1);
    EXPECT_EQ(script.stepsRun(), 1);
    EXPECT_EQ(title, "Save Image Error");
    EXPECT_EQ(text, "Error saving\n/tmp/x.png");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, 1);
}

TEST_F(RequesterTest, OtherWindowsAreHeldBackWhileARequesterRuns) {
    QWidget* frame = openActiveWindow(0, 300, 200, "held");
    ASSERT_NE(frame, nullptr);
    auto* box = new QCheckBox("box", windowRecord(0)->client);
    box->setGeometry(10, 10, 100, 20);
    box->show();
    setStayOnTop(0, 1);
    ASSERT_TRUE(staysOnTop(frame));
    QWindow* native = frame->windowHandle();
    // On the indicator: a check box takes clicks on its indicator and label only.
    const QPoint boxPoint = box->mapTo(frame, QPoint(6, box->height() / 2));

    bool onTopDuring = true;
    bool clickedDuring = true;
    int depthDuring = 0;
    ModalDriver script;
    script.then([&](QWidget* w) {
        onTopDuring = staysOnTop(frame);
        depthDuring = modalDepth();
        QTest::mouseClick(native, Qt::LeftButton, {}, boxPoint);
        clickedDuring = box->isChecked();
        static_cast<QDialog*>(w)->accept();
    });
    messageBox("title", "text");
    EXPECT_EQ(script.stepsRun(), 1);
    EXPECT_FALSE(onTopDuring);
    EXPECT_FALSE(clickedDuring);
    EXPECT_GT(depthDuring, 0);

    EXPECT_TRUE(staysOnTop(frame));
    EXPECT_EQ(modalDepth(), 0);
    // The same click reaches the window again once the box is gone.
    QTest::mouseClick(native, Qt::LeftButton, {}, boxPoint);
    EXPECT_TRUE(box->isChecked());
}

TEST_F(RequesterTest, InputDialogShowsTheDefaultTextSelectedWithTheCaretAfterIt) {
    QString shownText, prompt, title;
    int caret = -1;
    QString selected;
    bool okIsDefault = false, cancelButton = true;
    QSize size;
    QRect editPlace, okPlace;
    ModalDriver script;
    script.then([&](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>();
        auto* ok = w->findChild<QPushButton*>();
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(ok, nullptr);
        title = w->windowTitle();
        prompt = w->findChild<QLabel*>()->text();
        shownText = edit->text();
        caret = edit->cursorPosition();
        selected = edit->selectedText();
        okIsDefault = ok->isDefault() && ok->text() == "OK";
        cancelButton = w->findChildren<QPushButton*>().size() != 1;
        size = w->size();
        editPlace = edit->geometry();
        okPlace = ok->geometry();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(inputDialog("size", "Enter size(hex/dec)", "0000"), "0000");
    EXPECT_EQ(script.stepsRun(), 1);
    EXPECT_EQ(title, "size");
    EXPECT_EQ(prompt, "Enter size(hex/dec)");
    EXPECT_EQ(shownText, "0000");
    EXPECT_EQ(caret, 4);
    EXPECT_EQ(selected, "0000");
    EXPECT_TRUE(okIsDefault);
    EXPECT_FALSE(cancelButton);
    EXPECT_EQ(size, QSize(300, 130));
    EXPECT_EQ(editPlace, QRect(10, 32, 275, 21));
    EXPECT_EQ(okPlace, QRect(110, 67, 80, 25));
}

TEST_F(RequesterTest, InputDialogEnterGivesTheTextEscapeAndCloseGiveNothing) {
    ModalDriver script;
    script
        .then([](QWidget* w) {
            // Typing replaces the selected default text.
            auto* edit = w->findChild<QLineEdit*>();
            QTest::keyClicks(edit, "$1f");
            QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        })
        .then([](QWidget* w) { QTest::keyClick(w->findChild<QLineEdit*>(), Qt::Key_Escape); })
        .then([](QWidget* w) { w->close(); })
        .then([](QWidget* w) { w->findChild<QPushButton*>()->click(); });
    EXPECT_EQ(inputDialog("size", "Enter size(hex/dec)", "0000"), "$1f");
    EXPECT_EQ(inputDialog("size", "Enter size(hex/dec)", "0000"), "");
    EXPECT_EQ(inputDialog("size", "Enter size(hex/dec)", "0000"), "");
    EXPECT_EQ(inputDialog("size", "Enter size(hex/dec)", "12"), "12");
    EXPECT_EQ(script.stepsRun(), 4);
    EXPECT_EQ(script.closedUnanswered(), 0);
}

class FileDialogTest : public RequesterTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        existing_ = folder_.filePath("old.png");
        QFile file(existing_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    std::string path(const char* name) const {
        return QFile::encodeName(folder_.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
    }

    QTemporaryDir folder_;
    QString existing_;
};

const char* const IMAGE_PATTERNS = "Portable Network Graphics(*.png)|*.png|Bitmap (*.bmp)|*.bmp";

QLineEdit* nameField(QWidget* dialog) { return dialog->findChild<QLineEdit*>("fileNameEdit"); }

TEST_F(FileDialogTest, SaveDialogStartsAtTheDefaultPathAndReportsThePattern) {
    QString startFolder, startName, startFilter, title;
    QStringList filters;
    ModalDriver script;
    script
        .then([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            title = dialog->windowTitle();
            startFolder = dialog->directory().absolutePath();
            startName = nameField(dialog)->text();
            startFilter = dialog->selectedNameFilter();
            filters = dialog->nameFilters();
            dialog->reject();
        })
        .then([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            dialog->selectNameFilter(dialog->nameFilters().at(1));
            nameField(dialog)->setText("sprite");
            QTest::keyClick(nameField(dialog), Qt::Key_Return);
        });

    const std::string defaultPath = path("old.png");
    EXPECT_EQ(saveFileDialog("Please choose file to save", defaultPath, IMAGE_PATTERNS, 0), "");
    EXPECT_EQ(selectedPatternIndex(), -1);
    EXPECT_EQ(title, "Please choose file to save");
    EXPECT_EQ(startFolder, QDir(folder_.path()).absolutePath());
    EXPECT_EQ(startName, "old.png");
    ASSERT_EQ(filters.size(), 2);
    // The label shows as given; the wildcards behind it stay out of view.
    EXPECT_EQ(startFilter, "Portable Network Graphics(*.png)");

    // No extension is added for the chosen pattern.
    EXPECT_EQ(saveFileDialog("Please choose file to save", defaultPath, IMAGE_PATTERNS, 0), path("sprite"));
    EXPECT_EQ(selectedPatternIndex(), 1);
    EXPECT_EQ(script.stepsRun(), 2);
    EXPECT_EQ(script.closedUnanswered(), 0);
}

TEST_F(FileDialogTest, TypedNameSurvivesAChangeOfPattern) {
    QString nameAfterSwitch;
    ModalDriver script;
    script.then([&](QWidget* w) {
        QLineEdit* name = nameField(w);
        name->clear();
        QTest::keyClicks(name, "sprite.png");
        auto* filterBox = w->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(filterBox, nullptr);
        QTest::keyClick(filterBox, Qt::Key_Down);  // as a user picks "Bitmap"
        QCoreApplication::processEvents();
        nameAfterSwitch = name->text();
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(saveFileDialog("save", path(""), IMAGE_PATTERNS, 0), path("sprite.png"));
    EXPECT_EQ(nameAfterSwitch, "sprite.png");
    EXPECT_EQ(selectedPatternIndex(), 1);
}

TEST_F(FileDialogTest, ExistingFileIsReturnedWithoutAQuestion) {
    ModalDriver script;
    script.then([](QWidget* w) {
        nameField(w)->setText("old.png");
        QTest::keyClick(nameField(w), Qt::Key_Return);
    });
    EXPECT_EQ(saveFileDialog("save", path(""), "Binary file (*.bin)|*.bin", 0), path("old.png"));
    EXPECT_EQ(selectedPatternIndex(), 0);
    // A question would have been a second dialog, closed unanswered.
    EXPECT_EQ(script.closedUnanswered(), 0);
}

// Closes the file dialog that is active again once the message box in front of it has gone.
void acceptAndThenRejectTheDialogBehind(QWidget* box) {
    static_cast<QDialog*>(box)->accept();
    QTimer::singleShot(50, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
}

TEST_F(FileDialogTest, OpenDialogTakesOnlyExistingFiles) {
    QString folderShown, nameShown;
    QStringList warnings;
    ModalDriver script;
    script
        .then([&](QWidget* w) {
            folderShown = qobject_cast<QFileDialog*>(w)->directory().absolutePath();
            nameShown = nameField(w)->text();
            nameField(w)->setText("not-yet.bin");
            QTest::keyClick(nameField(w), Qt::Key_Return);
        })
        .then([&](QWidget* w) {
            // The file does not exist: the dialog says so and stays.
            if (auto* box = qobject_cast<QMessageBox*>(w)) warnings << box->text();
            acceptAndThenRejectTheDialogBehind(w);
        })
        .then([&](QWidget* w) {
            nameField(w)->setText(folder_.filePath("missing/x.bin"));
            QTest::keyClick(nameField(w), Qt::Key_Return);
        })
        .then([&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) warnings << box->text();
            acceptAndThenRejectTheDialogBehind(w);
        })
        .then([&](QWidget* w) {
            nameField(w)->setText("old.png");
            QTest::keyClick(nameField(w), Qt::Key_Return);
        });
    // A wildcard as the name part: the folder opens with an empty name field.
    EXPECT_EQ(openFileDialog("Please choose file to load", path("*.bin"), "All files (*.*)|*.*", 0), "");
    EXPECT_EQ(folderShown, QDir(folder_.path()).absolutePath());
    EXPECT_EQ(nameShown, "");
    EXPECT_EQ(openFileDialog("Please choose file to load", path(""), "All files (*.*)|*.*", 0), "");
    EXPECT_EQ(selectedPatternIndex(), -1);
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[0].contains("not-yet.bin")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[1].contains("missing")) << warnings[1].toStdString();
    EXPECT_EQ(openFileDialog("Please choose file to load", path(""), "All files (*.*)|*.*", 0),
              path("old.png"));
    EXPECT_EQ(script.closedUnanswered(), 0);
}

// Qt shows each byte of a name that is not valid UTF-8 as U+FFFD. Chosen by that text, the file
// is found by its folder's entries; two names that show alike cannot be told apart.
TEST_F(FileDialogTest, FileWhoseNameIsNotUtf8CanBeChosen) {
    const std::string folder = path("");
    const std::string odd = folder + "sprite\xff.bin";
    { std::ofstream(odd) << "x"; }
    const QString shown = QFile::decodeName(QByteArray::fromStdString(odd));
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));
    auto choose = [&](QWidget* w) {
        nameField(w)->setText(shown);
        QTest::keyClick(nameField(w), Qt::Key_Return);
    };
    {
        ModalDriver script;
        script.then(choose);
        EXPECT_EQ(openFileDialog("Please choose file to load", folder, "All files (*.*)|*.*", 0), odd);
        EXPECT_EQ(script.closedUnanswered(), 0);
    }
    {
        ModalDriver script;
        script.then(choose);
        EXPECT_EQ(saveFileDialog("save", folder, "Binary file (*.bin)|*.bin", 0), odd)
            << "the file saved over";
    }
    { std::ofstream(folder + "sprite\xfe.bin") << "y"; }
    {
        bool refused = false;
        ModalDriver script;
        script.then(choose).then([&](QWidget* w) {
            refused = qobject_cast<QMessageBox*>(w) != nullptr;
            acceptAndThenRejectTheDialogBehind(w);
        });
        EXPECT_EQ(openFileDialog("Please choose file to load", folder, "All files (*.*)|*.*", 0), "");
        EXPECT_TRUE(refused) << "two names show as the same text";
    }
}

}  // namespace
