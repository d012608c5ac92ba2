// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/msgbox.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <utility>
#include <vector>

namespace forms {
namespace {

// A window manager writes the title beside the window's icon and buttons;
// a box narrower than the title and that room shows it cut short ("ve…ost").
constexpr int kTitleBarRoom = 160;

}  // namespace

int showSystemMessageBox(const MsgBoxRequest& request) {
    struct Choice {
        QMessageBox::StandardButton button;
        int result;
    };
    std::vector<Choice> choices;
    switch (request.buttons & 7) {
        case kOkCancel:
            choices = {{QMessageBox::Ok, kOk}, {QMessageBox::Cancel, kCancel}};
            break;
        case kAbortRetryIgnore:
            choices = {
                {QMessageBox::Abort, kAbort}, {QMessageBox::Retry, kRetry}, {QMessageBox::Ignore, kIgnore}};
            break;
        case kYesNoCancel:
            choices = {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}, {QMessageBox::Cancel, kCancel}};
            break;
        case kYesNo:
            choices = {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}};
            break;
        case kRetryCancel:
            choices = {{QMessageBox::Retry, kRetry}, {QMessageBox::Cancel, kCancel}};
            break;
        default:
            choices = {{QMessageBox::Ok, kOk}};
            break;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.buttons & 0x70) {
        case kCritical:
            icon = QMessageBox::Critical;
            break;
        case kQuestion:
            icon = QMessageBox::Question;
            break;
        case kExclamation:
            icon = QMessageBox::Warning;
            break;
        case kInformation:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QMessageBox box(icon, request.title, request.prompt);
    // The box sizes itself to its text; a spacer across its grid keeps it as
    // wide as its title needs, in the bold face title bars commonly use.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(request.title) + kTitleBarRoom;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    for (const Choice& choice : choices) box.addButton(choice.button);
    const size_t defaultChoice =
        std::min<size_t>(static_cast<size_t>((request.buttons >> 8) & 3), choices.size() - 1);
    box.setDefaultButton(choices[defaultChoice].button);
    // Closing the box answers Cancel where there is one, else the first button.
    int closed = choices.front().result;
    for (const Choice& choice : choices) {
        if (choice.result == kCancel) closed = kCancel;
    }
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const Choice& choice : choices) {
        if (clicked && clicked == box.button(choice.button)) return choice.result;
    }
    return closed;
}

String defaultApplicationTitle() {
    return QCoreApplication::applicationName();
}

}  // namespace forms
