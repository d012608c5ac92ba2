// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/filechoosers.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

namespace vexohost {
namespace {

void startNear(QFileDialog& dialog, const QString& near) {
    if (!near.isEmpty()) dialog.setDirectory(QFileInfo(near).absolutePath());
}

QString chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString chooseShowFile(QWidget* parent, const QString& near) {
    QFileDialog dialog(parent, QFileDialog::tr("Open a show"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog: wide enough for its columns, which fit their contents.
    dialog.resize(dialog.sizeHint().expandedTo(QSize(760, 460)));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    dialog.setNameFilters(
        {QFileDialog::tr("Shows and recordings (*.show *.txt *.rec)"), QFileDialog::tr("All files (*)")});
    startNear(dialog, near);
    return chosen(dialog);
}

QString chooseRecordFile(QWidget* parent, const QString& near) {
    QFileDialog dialog(parent, QFileDialog::tr("Record the display"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QFileDialog::tr("Animated GIF (*.gif)"), QFileDialog::tr("Lossless animated WebP (*.webp)")});
    dialog.setDefaultSuffix(QStringLiteral("gif"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains(QStringLiteral("webp")) ? QStringLiteral("webp")
                                                                        : QStringLiteral("gif"));
    });
    startNear(dialog, near);
    return chosen(dialog);
}

}  // namespace vexohost
