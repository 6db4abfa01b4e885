#include "history/gui_restore.h"

#include "common/dialogs.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/gui_windowplace.h"
#include "history/historystore.h"
#include "history/safetycopy.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace kv {

const QString RestoreWindow::kTitle = QStringLiteral("Восстановить из копии");

namespace {

QString madeAt(const CopySummary& c) {
    return c.made.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

const QString kNewer = QStringLiteral("записана более новой версией программы");

QString noteOf(const CopySummary& c) {
    if (!c.newer)
        return c.note;
    return c.note.isEmpty() ? kNewer : c.note + QStringLiteral("; ") + kNewer;
}

} // namespace

RestoreWindow::RestoreWindow(HistoryStore& store, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), dialogs_(dialogs) {
    setObjectName(QStringLiteral("RestoreWindow"));
    setWindowTitle(kTitle);

    auto* heading = new QLabel(this);
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    heading->setText(
        QStringLiteral("Программа делает копию базы \"%1\" перед каждым изменением и хранит их "
                       "в папке \"%2\". Выберите копию: она встанет на место базы, а нынешний "
                       "файл останется рядом с ней.")
            .arg(QDir::toNativeSeparators(QFileInfo(store.fileName()).absoluteFilePath()),
                 QDir::toNativeSeparators(safetyCopyFolder(store.fileName()))));
    list_ = new QTableWidget(0, 4, this);
    list_->setObjectName(QStringLiteral("CopyList"));
    list_->setHorizontalHeaderLabels({QStringLiteral("Сделана"), QStringLiteral("Турниров"),
                                      QStringLiteral("Последний турнир"),
                                      QStringLiteral("Примечание")});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("CopyNote"));
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    restore_ = new QPushButton(QStringLiteral("Восстановить"), this);
    restore_->setObjectName(QStringLiteral("RestoreButton"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("CloseButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note_, 1);
    buttons->addWidget(restore_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(640, 420);

    connectGuarded(dialogs_, restore_, &QPushButton::clicked, this, &RestoreWindow::restoreClick);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connectGuarded(dialogs_, list_, &QTableWidget::cellDoubleClicked, this,
                   &RestoreWindow::restoreClick);
}

void RestoreWindow::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

RestoreWindow::~RestoreWindow() {
    // Every read started is still a child until it ends: none may outlive the window.
    for (QThread* reader : findChildren<QThread*>(Qt::FindDirectChildrenOnly))
        reader->wait();
}

void RestoreWindow::refresh() {
    // Each copy is opened and its tables counted: on a long history that takes a while, so it is
    // done beside the window, which fills when the reading is done.
    const int reading = ++reading_;
    auto found = std::make_shared<QList<CopySummary>>();
    auto failure = std::make_shared<QString>();
    // Nothing may leave the reading thread: what fails there is told in the window's thread.
    QThread* reader = QThread::create([found, failure, file = store_.fileName()] {
        try {
            *found = describeSafetyCopies(file);
        } catch (const Error& e) {
            *failure = e.text();
        } catch (const std::exception& e) {
            *failure = QString::fromLocal8Bit(e.what());
        }
    });
    connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    connectGuarded(dialogs_, reader, &QThread::finished, this, [this, found, failure, reading] {
        // A closed window drops what arrives: it reads again when shown.
        if (reading != reading_ || !isVisible())
            return;
        if (!failure->isEmpty()) {
            note_->setText(*failure);
            throw Error(QStringLiteral("Не удалось прочитать копии базы: ") + *failure);
        }
        fill(*found);
    });
    reader->setParent(this);
    list_->setRowCount(0);
    restore_->setEnabled(false);
    note_->setText(QStringLiteral("Копии читаются..."));
    reader->start();
}

void RestoreWindow::fill(const QList<CopySummary>& copies) {
    copies_ = copies;
    list_->setRowCount(int(copies_.size()));
    int first = -1;
    for (int r = 0; r < copies_.size(); ++r) {
        const CopySummary& c = copies_[r];
        const QString last = !c.fault.isEmpty() ? QStringLiteral("повреждена: ") + c.fault
                             : c.tournaments == 0 ? QStringLiteral("турниров нет")
                                                  : c.newest;
        const QStringList cells{
            madeAt(c), c.fault.isEmpty() ? QString::number(c.tournaments) : QStringLiteral("-"),
            last, noteOf(c)};
        for (int col = 0; col < int(cells.size()); ++col)
            list_->setItem(r, col, new QTableWidgetItem(cells[col]));
        if (first < 0 && c.fault.isEmpty())
            first = r;
    }
    list_->selectRow(std::max(first, 0));
    restore_->setEnabled(first >= 0);
    note_->setText(copies_.isEmpty() ? QStringLiteral("Копий пока нет: их делает первое "
                                                      "изменение базы.")
                                     : QString());
    if (first >= 0)
        restore_->setFocus();
}

void RestoreWindow::restoreClick() {
    guarded(dialogs_, [&] {
        const int row = list_->currentRow();
        if (row < 0 || row >= copies_.size())
            throw Error(QStringLiteral("Выберите копию в списке и повторите."));
        const CopySummary& c = copies_[row];
        if (!c.fault.isEmpty())
            throw Error(QStringLiteral("Копия от %1 повреждена (%2), её нельзя восстановить. "
                                       "Выберите другую копию.")
                            .arg(madeAt(c), c.fault));
        const QString newer =
            c.newer ? QStringLiteral(" Копия записана более новой версией программы: эта версия "
                                     "откроет её только для чтения, записывать турниры в неё "
                                     "будет нельзя.")
                    : QString();
        if (dialogs_.yesNo(QStringLiteral("Поставить на место базы копию от %1 (турниров: %2)? "
                                          "Что записано после неё, в базе не останется; "
                                          "нынешний файл базы сохранится рядом с ней.%3")
                               .arg(madeAt(c))
                               .arg(c.tournaments)
                               .arg(newer)) != Dialogs::Answer::Yes)
            return;
        const QString kept = store_.restoreFromCopy(c.path);
        dialogs_.information(QStringLiteral("База восстановлена из копии от %1.").arg(madeAt(c)) +
                             (kept.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" Прежний файл сохранён рядом: \"%1\".")
                                        .arg(QDir::toNativeSeparators(kept))));
        close();
    });
}

void showRestoreWindow(QWidget* owner, HistoryStore& store, Dialogs& dialogs) {
    // Two windows could put different copies in place of one base.
    static QPointer<RestoreWindow> open;
    if (open && &open->store() != &store) {
        open->close();
        open->deleteLater();
        open = nullptr;
    }
    if (!open)
        open = new RestoreWindow(store, dialogs, owner);
    RestoreWindow* window = open;
    if (window->isVisible())
        window->refresh();
    showInFront(window);
}

} // namespace kv
