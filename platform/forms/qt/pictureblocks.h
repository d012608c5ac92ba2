// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_PICTUREBLOCKS_H_
#define PLATFORM_FORMS_QT_PICTUREBLOCKS_H_

#include <QImage>

namespace forms {

// An image for a picture that is kept (premultiplied 32-bit ARGB, its pixels
// not yet written), or a null image when it is larger than a quarter of a
// block or no block can be mapped; the caller then makes an ordinary image.
//
// A window's pictures are some megabytes that stay as long as the window,
// made in one go while the window opens. Each new page of memory is a trap
// to the kernel, and on a virtual machine a costly one: the 63 pictures of
// the display took some 700 of them, half of its creation. Here pictures
// share blocks of 2 MB, aligned and advised as huge pages, so that where the
// system has transparent huge pages enabled on advice, a block is one trap.
// A block whose images are all gone is kept for the next pictures (up to
// four, 8 MB; more go back to the system), so that a window opened again
// reuses the pages rather than trapping for new ones, which the system would
// also have to clear. Images may be copied and released on any thread.
QImage newKeptImage(int width, int height);

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_PICTUREBLOCKS_H_
