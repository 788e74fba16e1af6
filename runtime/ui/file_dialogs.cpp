// The open and save dialogs over Qt's own file dialog.
// Over Qt: the widget-based QFileDialog is used, never the desktop's native one, so that the
// behaviour is the same on every desktop and tests can drive it. Each "label|pattern" pair
// becomes a name filter whose wildcards are given to Qt explicitly (hidden from view behind
// the label), with "*.*" widened to "*" so that it matches names without a dot, as the
// wildcard means in the pattern lists callers pass. Qt's dialog does not change the current
// directory; it is restored after the dialog all the same, since the settings file is named
// without a folder.
// The open dialog takes only existing files. Qt holds file names as UTF-8 text and shows each
// byte of a name that is not valid UTF-8 as U+FFFD, from which the name cannot be rebuilt; a
// chosen name with such a character is looked up in its folder and taken when exactly one entry
// there shows as the same text. What Qt does not allow: browsing into a folder whose own name
// is not valid UTF-8, and telling apart names that differ only in such bytes.
#include "runtime/ui/requesters.h"

#include "runtime/ui/file_dialog_args.h"
#include "runtime/ui/hold_back_internal.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include <dirent.h>
#include <sys/stat.h>

#include <optional>

namespace {

int rememberedPattern = -1;

// The one entry of the folder whose name Qt shows as `shown`, or nothing.
std::optional<QByteArray> entryShownAs(const QByteArray& folder, const QString& shown) {
    DIR* dir = opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir) return std::nullopt;
    std::optional<QByteArray> found;
    int matches = 0;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (QFile::decodeName(name) == shown) {
            found = name;
            ++matches;
        }
    }
    closedir(dir);
    return matches == 1 ? found : std::nullopt;
}

// The bytes of a path the dialog gives as text: its components as they are encoded, except
// those holding U+FFFD, which are taken from the folder's entries where one matches.
QByteArray nameBytesOf(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    QByteArray bytes;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) bytes += '/';
        const QString& part = parts[i];
        // `bytes` holds the part's folder now.
        std::optional<QByteArray> entry;
        if (part.contains(QChar::ReplacementCharacter)) entry = entryShownAs(bytes, part);
        bytes += entry ? *entry : QFile::encodeName(part);
    }
    return bytes;
}

bool existsAndIsNoFolder(const QByteArray& path) {
    struct stat info {};
    return stat(path.constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// A chosen name is returned as typed, existing or not, but its folder has to exist; the open
// dialog takes only existing files, also those Qt cannot name.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo chosen(files.first());
            // Qt's own checks would not find it and call the file missing.
            if (fileMode() == ExistingFile && !chosen.exists() &&
                existsAndIsNoFolder(nameBytesOf(files.first()))) {
                QDialog::accept();
                return;
            }
            if (!chosen.isDir() && !QFileInfo(chosen.absolutePath()).isDir()) {
                QMessageBox::warning(this, windowTitle(),
                                     tr("%1\nPath does not exist.\nCheck the path and try again.")
                                         .arg(chosen.absoluteFilePath()));
                return;
            }
        }
        QFileDialog::accept();
    }
};

QString nameFilterOf(const FilePattern& entry) {
    QStringList wildcards;
    for (const QString& wildcard :
         QString::fromUtf8(entry.pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = wildcard.trimmed();
        wildcards.append(trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
    }
    return QString::fromUtf8(entry.label) + QStringLiteral(" (") + wildcards.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

// Qt's save dialog rewrites the extension of the typed name when another filter is chosen;
// the name is the user's, and the caller appends the chosen pattern's extension itself. The
// name is taken before Qt's rewrite (the index changes first) and put back once the change
// has run its course.
void keepTypedNameAcrossFilters(QFileDialog& dialog) {
    auto* filterBox = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!filterBox || !nameField) return;
    QObject::connect(filterBox, &QComboBox::currentIndexChanged, nameField, [nameField] {
        const QString typed = nameField->text();
        QMetaObject::invokeMethod(
            nameField,
            [nameField, typed] {
                if (nameField->text() != typed) nameField->setText(typed);
            },
            Qt::QueuedConnection);
    });
}

// The dialog names the selected filter as shown, which is the label alone while the
// wildcards are hidden.
int selectedIndex(const QString& selected, const QStringList& filters, const QStringList& labels) {
    for (qsizetype i = 0; i < filters.size(); ++i) {
        if (filters[i] == selected || labels[i] == selected) return static_cast<int>(i);
    }
    return 0;
}

std::string runFileDialog(bool save, const std::string& title, const std::string& defaultPath,
                          const std::string& patterns, int patternIndex) {
    if (!qApp) return {};
    HeldBackWindows held;
    FileDialog dialog(held.owner(), QString::fromUtf8(title));
    dialog.setObjectName(save ? QStringLiteral("saveFileDialog") : QStringLiteral("openFileDialog"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);

    QStringList filters;
    QStringList labels;
    for (const FilePattern& entry : parsePatternList(patterns)) {
        filters.append(nameFilterOf(entry));
        labels.append(QString::fromUtf8(entry.label).trimmed());
    }
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(
            filters.value(patternIndex >= 0 && patternIndex < filters.size() ? patternIndex : 0));
    }

    if (save) keepTypedNameAcrossFilters(dialog);

    const InitialLocation location = splitDefaultPath(defaultPath);
    if (!location.folder.empty()) dialog.setDirectory(QFile::decodeName(location.folder.c_str()));
    if (!location.name.empty()) dialog.selectFile(QFile::decodeName(location.name.c_str()));

    const QString workingDirectory = QDir::currentPath();
    const int answer = dialog.exec();
    if (QDir::currentPath() != workingDirectory) QDir::setCurrent(workingDirectory);

    const QStringList chosen = dialog.selectedFiles();
    if (answer != QDialog::Accepted || chosen.isEmpty()) {
        rememberedPattern = -1;
        return {};
    }
    rememberedPattern = selectedIndex(dialog.selectedNameFilter(), filters, labels);
    return nameBytesOf(chosen.first()).toStdString();
}

}  // namespace

std::string openFileDialog(const std::string& title, const std::string& defaultPath,
                           const std::string& patterns, int patternIndex) {
    return runFileDialog(false, title, defaultPath, patterns, patternIndex);
}

std::string saveFileDialog(const std::string& title, const std::string& defaultPath,
                           const std::string& patterns, int patternIndex) {
    return runFileDialog(true, title, defaultPath, patterns, patternIndex);
}

int selectedPatternIndex() { return rememberedPattern; }
