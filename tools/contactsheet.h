// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_CONTACTSHEET_H_
#define TOOLS_CONTACTSHEET_H_

#include <QImage>

namespace pictures {

class PictureSet;

// One picture of everything the system ships, on black: the 63 envelopes in
// rows of colour and columns of glow level, two mock-ups of the display window,
// the dialog's preview panel, and the basket and icon enlarged.
class ContactSheet {
public:
    static QImage paint(const PictureSet& pictures);
};

}  // namespace pictures

#endif  // TOOLS_CONTACTSHEET_H_
