// The picture list over a QTreeView and a table model that asks the program for each row.
//
// Where Qt differs from a list built whole:
// - The model never holds the rows: Qt asks for the texts and the thumbnail of the rows it paints,
//   and the thumbnails are kept as pixmaps only until the rows change.
// - A change of the rows is told to the view as rows added or removed at the end and every row
//   changed, not as a reset: a reset would clear the selection and scroll back to the top.
// - Selecting a row by program must not scroll the view (Qt scrolls to a new current row while
//   the view's auto-scroll is on), so that rows arriving during a scan leave the user's place.
#include "runtime/ui/picture_list.h"

#include "runtime/ui/control_record.h"
#include "runtime/ui/controls.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QTreeView>

#include <cstring>

namespace {

class PictureListModel : public QAbstractTableModel {
public:
    PictureListModel(const std::vector<PictureListColumn>& columns, QSize thumbnail, QObject* parent)
        : QAbstractTableModel(parent), thumbnailSize_(thumbnail) {
        for (const PictureListColumn& column : columns) headings_ << QString::fromStdString(column.heading);
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(headings_.size());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= headings_.size())
            return {};
        return headings_[section];
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rows_) return {};
        if (index.column() == 0) {
            if (role == Qt::DecorationRole) return thumbnail(index.row());
            if (role == Qt::SizeHintRole) return thumbnailSize_ + QSize(4, 4);
            return {};
        }
        if (role == Qt::DisplayRole && content_.text)
            return QString::fromStdString(content_.text(index.row(), index.column()));
        return {};
    }

    void setContent(PictureListContent content) {
        content_ = std::move(content);
        refresh(rows_);
    }

    void refresh(int rows) {
        thumbnails_.clear();
        rows = std::max(0, rows);
        if (rows > rows_) {
            beginInsertRows({}, rows_, rows - 1);
            rows_ = rows;
            endInsertRows();
        } else if (rows < rows_) {
            beginRemoveRows({}, rows, rows_ - 1);
            rows_ = rows;
            endRemoveRows();
        }
        if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount({}) - 1));
    }

    std::string rowText(int row) const {
        std::string line;
        for (int column = 1; column < columnCount({}) && content_.text; ++column) {
            if (column > 1) line += '\t';
            line += content_.text(row, column);
        }
        return line;
    }

private:
    // An icon whose selected form is the picture itself: the style would tint it otherwise.
    QIcon thumbnail(int row) const {
        if (const auto cached = thumbnails_.constFind(row); cached != thumbnails_.constEnd()) return *cached;
        PixelSurface surface;
        QPixmap pixmap;
        if (content_.thumbnail && surface.allocate(thumbnailSize_.width(), thumbnailSize_.height())) {
            content_.thumbnail(row, surface);
            QImage picture(surface.width, surface.height, QImage::Format_BGR888);
            for (int y = 0; y < surface.height && !picture.isNull(); ++y)
                std::memcpy(picture.scanLine(y), surface.rowAt(y), static_cast<size_t>(surface.width) * 3);
            pixmap = QPixmap::fromImage(picture);
        }
        QIcon icon;
        icon.addPixmap(pixmap, QIcon::Normal);
        icon.addPixmap(pixmap, QIcon::Selected);
        thumbnails_.insert(row, icon);
        return icon;
    }

    QStringList headings_;
    QSize thumbnailSize_;
    PictureListContent content_;
    int rows_ = 0;
    mutable QHash<int, QIcon> thumbnails_;
};

class PictureListControl;

class PictureListView : public QTreeView {
public:
    PictureListView(QWidget* parent, PictureListControl* owner) : QTreeView(parent), owner_(owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PictureListControl* owner_;
};

class PictureListControl : public ControlRecord {
public:
    PictureListControl(int number, int window, QWidget* parent, const std::vector<PictureListColumn>& columns,
                       QSize thumbnail)
        : ControlRecord(number, window) {
        auto* view = new PictureListView(parent, this);
        view_ = view;
        widget_ = view;
        own(view);
        model_ = new PictureListModel(columns, thumbnail, view);
        view->setModel(model_);
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setUniformRowHeights(true);
        view->setAllColumnsShowFocus(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setIconSize(thumbnail);
        view->setFocusPolicy(Qt::StrongFocus);
        view->header()->setStretchLastSection(true);
        view->header()->setSectionsMovable(false);
        for (size_t i = 0; i < columns.size(); ++i)
            view->header()->resizeSection(static_cast<int>(i), columns[i].width);
        QObject::connect(view, &QAbstractItemView::clicked, view, [this](const QModelIndex&) { chosen(); });
    }

    void chosen() {
        if (state() >= 0) post(ControlEventKind::Click);
    }

    int32_t state() override {
        if (!view_ || !view_->selectionModel()) return -1;
        const QModelIndex current = view_->selectionModel()->currentIndex();
        return current.isValid() && view_->selectionModel()->isSelected(current) ? current.row() : -1;
    }
    int setState(int32_t row) override {
        if (!view_ || !view_->selectionModel()) return 0;
        QItemSelectionModel* selection = view_->selectionModel();
        if (row < 0 || row >= model_->rowCount({})) {
            selection->clear();
            return 1;
        }
        const bool scrolls = view_->hasAutoScroll();
        view_->setAutoScroll(false);
        selection->setCurrentIndex(model_->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view_->setAutoScroll(scrolls);
        return 1;
    }
    std::string text() override {
        std::string headings;
        for (int column = 0; column < model_->columnCount({}); ++column) {
            if (column > 0) headings += '\t';
            headings += model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
        }
        return headings;
    }
    std::vector<std::string> rows() override {
        std::vector<std::string> lines;
        for (int row = 0; row < model_->rowCount({}); ++row) lines.push_back(model_->rowText(row));
        return lines;
    }
    std::string kind() const override { return "picture list"; }

    PictureListModel* model() const { return model_; }

private:
    QPointer<QTreeView> view_;
    PictureListModel* model_ = nullptr;  // owned by the view
};

void PictureListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        owner_->chosen();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

PictureListControl* pictureList(int number) {
    return dynamic_cast<PictureListControl*>(controlRecord(number));
}

}  // namespace

int createPictureList(int number, int x, int y, int width, int height,
                      const std::vector<PictureListColumn>& columns, int thumbnailWidth,
                      int thumbnailHeight) {
    int window = -1;
    QWidget* parent = prepareControlSlot(number, &window);
    if (!parent || columns.empty() || thumbnailWidth < 1 || thumbnailHeight < 1) return 0;
    auto record = std::make_unique<PictureListControl>(number, window, parent, columns,
                                                       QSize(thumbnailWidth, thumbnailHeight));
    QWidget* view = record->widget();
    view->setGeometry(x, y, std::max(1, width), std::max(1, height));
    view->show();
    return installControl(std::move(record));
}

int setPictureListContent(int list, PictureListContent content) {
    PictureListControl* control = pictureList(list);
    if (!control) return 0;
    control->model()->setContent(std::move(content));
    return 1;
}

int setPictureListRows(int list, int rows) {
    PictureListControl* control = pictureList(list);
    if (!control) return 0;
    control->model()->refresh(rows);
    return 1;
}
