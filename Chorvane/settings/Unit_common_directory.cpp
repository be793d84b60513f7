#include "Unit_common_directory.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

const QFileIconProvider& Icons()
{
    static const QFileIconProvider provider;
    return provider;
}

}  // namespace

TFrmDirectory::TFrmDirectory(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FrmDirectory"));
    setWindowTitle(tr("Choose a directory"));
    setFixedSize(kClientWidth, kClientHeight);

    LabelDirectory = new QLabel(tr("Directory"), this);
    LabelDirectory->setObjectName(QStringLiteral("LabelDirectory"));
    LabelDirectory->setGeometry(8, 6, 385, 16);

    ShellTreeView1 = new QTreeWidget(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setGeometry(8, 24, 385, 240);
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setRootIsDecorated(false);
    ShellTreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ShellTreeView1, &QTreeWidget::itemExpanded, this, &TFrmDirectory::fillChildren);
    // A right click selects the folder under the pointer.
    connect(ShellTreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = ShellTreeView1->itemAt(at)) ShellTreeView1->setCurrentItem(item);
    });

    ButtonOK = new QPushButton(tr("&OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setGeometry(232, 274, 75, 25);
    ButtonOK->setDefault(true);
    connect(ButtonOK, &QPushButton::clicked, this, &TFrmDirectory::ButtonOKClick);
    ButtonCancel = new QPushButton(tr("&Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(316, 274, 75, 25);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFrmDirectory::ButtonCancelClick);

}

void TFrmDirectory::addRoots()
{
    // The tree is read when the chooser is first shown or asked for a folder, not when
    // the main window's children are made at start.
    if (ShellTreeView1->topLevelItemCount() > 0) return;
    for (QTreeWidgetItem* root : {addFolder(nullptr, QDir::homePath(), QDir::homePath()),
                                  addFolder(nullptr, QDir::rootPath(), QDir::rootPath())})
        root->setExpanded(true);
}

void TFrmDirectory::showEvent(QShowEvent* event)
{
    addRoots();
    QDialog::showEvent(event);
}

QTreeWidgetItem* TFrmDirectory::addFolder(QTreeWidgetItem* parent, const QString& path, const QString& caption)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(ShellTreeView1);
    item->setText(0, caption);
    item->setIcon(0, Icons().icon(QFileInfo(path)));
    item->setData(0, kPathRole, path);
    // Children are read when the folder is opened.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void TFrmDirectory::fillChildren(QTreeWidgetItem* item)
{
    if (item->data(0, kFilledRole).toBool()) return;
    item->setData(0, kFilledRole, true);
    const QDir folder(item->data(0, kPathRole).toString());
    const QStringList names = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) addFolder(item, folder.filePath(name), name);
    item->setChildIndicatorPolicy(names.isEmpty() ? QTreeWidgetItem::DontShowIndicator
                                                  : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool TFrmDirectory::SelectFolder(const QString& path)
{
    addRoots();
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int r = 0; r < ShellTreeView1->topLevelItemCount(); ++r) {
        QTreeWidgetItem* item = ShellTreeView1->topLevelItem(r);
        const QString rootPath = QDir::cleanPath(item->data(0, kPathRole).toString());
        const QString prefix = rootPath.endsWith(QLatin1Char('/')) ? rootPath : rootPath + QLatin1Char('/');
        if (target != rootPath && !target.startsWith(prefix)) continue;
        const QStringList parts = target.mid(prefix.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (const QString& part : parts) {
            item->setExpanded(true);
            fillChildren(item);
            QTreeWidgetItem* next = nullptr;
            for (int c = 0; c < item->childCount() && !next; ++c)
                if (item->child(c)->text(0) == part) next = item->child(c);
            if (!next) return false;
            item = next;
        }
        ShellTreeView1->setCurrentItem(item);
        return true;
    }
    return false;
}

void TFrmDirectory::ButtonOKClick()
{
    const QList<QTreeWidgetItem*> selected = ShellTreeView1->selectedItems();
    chosenFolder_ = selected.isEmpty() ? QString() : selected.first()->data(0, kPathRole).toString();
    accept();
}

void TFrmDirectory::ButtonCancelClick()
{
    chosenFolder_.clear();
    reject();
}

void TFrmDirectory::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        ButtonCancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
