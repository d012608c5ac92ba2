// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/contactsheet.h"

#include <QPainter>
#include <array>

#include "state/tables.h"
#include "tools/pictureset.h"

namespace pictures {

namespace {

constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kCellWidth = 120;
constexpr int kCellHeight = 184;
constexpr int kWindowWidth = 867;
constexpr int kWindowHeight = 283;
constexpr int kPitch = 90;

// The display window as it stands, with each nimbo at the given glow level;
// level 0 keeps its flame covered.
void paintDisplayWindow(QPainter& painter, QPoint origin, const PictureSet& pictures,
                        const std::array<int, nimbo::kNimboCount>& levels) {
    painter.fillRect(QRect(origin, QSize(kWindowWidth, kWindowHeight)), Qt::black);
    for (int i = 0; i < nimbo::kNimboCount; ++i)
        painter.drawImage(origin + QPoint(10 + kPitch * i, 10), pictures.envelope(i, levels[size_t(i)]));
    for (int i = 0; i < nimbo::kNimboCount; ++i)
        painter.drawImage(origin + QPoint(40 + kPitch * i, 190), pictures.basket());
    painter.fillRect(QRect(origin + QPoint(0, 230), QSize(kWindowWidth, 51)), QColor(0, 64, 0));
    for (int i = 0; i < nimbo::kNimboCount; ++i) {
        if (levels[size_t(i)] == 0)
            painter.fillRect(QRect(origin + QPoint((i == 0 ? 52 : 50) + kPitch * i, 190), QSize(15, 15)),
                             Qt::black);
    }
}

}  // namespace

QImage ContactSheet::paint(const PictureSet& pictures) {
    const int gridWidth = PictureSet::kLevels * kCellWidth + (PictureSet::kLevels - 1) * kGap;
    const int gridHeight = PictureSet::kColours * kCellHeight + (PictureSet::kColours - 1) * kGap;
    const int width = 2 * kMargin + std::max(gridWidth, kWindowWidth);
    const int panelTop = kMargin + gridHeight + 2 * kGap;
    const int height = panelTop + 3 * (kWindowHeight + 2 * kGap) + 4 * 38 + kMargin;

    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(Qt::black);
    QPainter painter(&sheet);

    for (int colour = 0; colour < PictureSet::kColours; ++colour) {
        for (int level = 0; level < PictureSet::kLevels; ++level) {
            painter.drawImage(
                QPoint(kMargin + level * (kCellWidth + kGap), kMargin + colour * (kCellHeight + kGap)),
                pictures.envelope(colour, level));
        }
    }

    int top = panelTop;
    paintDisplayWindow(painter, QPoint(kMargin, top), pictures, {0, 1, 2, 3, 4, 5, 6, 3, 6});
    top += kWindowHeight + 2 * kGap;
    paintDisplayWindow(painter, QPoint(kMargin, top), pictures, {6, 6, 6, 6, 6, 6, 6, 6, 6});
    top += kWindowHeight + 2 * kGap;

    // The dialog's preview panel on the button-face grey, to judge the rims
    // against a light background.
    painter.fillRect(QRect(kMargin, top, 861, 221), QColor(240, 240, 240));
    for (int i = 0; i < nimbo::kNimboCount; ++i)
        painter.drawImage(QPoint(kMargin + 10 + kPitch * i, top + 10),
                          pictures.envelope(i, PictureSet::kLevels - 1));
    top += kWindowHeight + 2 * kGap;

    // Basket and icon, four times enlarged, pixel for pixel.
    const QImage basket = pictures.basket().scaled(pictures.basket().size() * 4);
    painter.drawImage(QPoint(kMargin, top), basket);
    painter.fillRect(QRect(kMargin + basket.width() + kGap, top, 20 * 4, 17 * 4), QColor(240, 240, 240));
    painter.drawImage(QPoint(kMargin + basket.width() + kGap, top),
                      pictures.icon().scaled(pictures.icon().size() * 4));
    painter.drawImage(QPoint(kMargin + basket.width() + 2 * kGap + 80, top),
                      pictures.icon().scaled(pictures.icon().size() * 4));
    return sheet;
}

}  // namespace pictures
