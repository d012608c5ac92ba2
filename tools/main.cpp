// SPDX-License-Identifier: GPL-3.0-or-later
// nimbo-pictures: draws the envelope, basket and icon pictures and writes them
// where the build and the windows expect them. Two runs give the same bytes.

#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "tools/pictureset.h"

int main(int argc, char** argv) {
    // Drawing needs no screen; the offscreen platform keeps every run alike.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Draws the pictures of the nimbo display and writes them:\n"
        "  the 63 envelope files (blau000.gif ... weiss100.gif),\n"
        "  the pictures stored with the windows (dim/, bright/, korb.jpg, icon.ico),\n"
        "  a contact sheet of all of them, and the desktop icon at its usual sizes.");
    parser.addHelpOption();
    const QCommandLineOption images("images", "Write the 63 envelope files into <folder>.", "folder");
    const QCommandLineOption windows("ui-pictures",
                                     "Write the pictures stored with the windows into <folder>.", "folder");
    const QCommandLineOption sheet("contact-sheet", "Write the contact sheet as a PNG file <file>.", "file");
    const QCommandLineOption appIcons(
        "app-icons", "Write the desktop icon, <folder>/NxN/apps/nimbo-lux.png, at the usual sizes.",
        "folder");
    parser.addOptions({images, windows, sheet, appIcons});
    parser.process(app);

    if (!parser.isSet(images) && !parser.isSet(windows) && !parser.isSet(sheet) && !parser.isSet(appIcons)) {
        std::fputs(
            "nimbo-pictures: nothing to write; give --images, --ui-pictures, --contact-sheet or --app-icons "
            "(see --help)\n",
            stderr);
        return 2;
    }

    const pictures::PictureSet set;
    QString error;
    const bool ok =
        (!parser.isSet(images) || set.writeEnvelopes(parser.value(images), &error)) &&
        (!parser.isSet(windows) || set.writeWindowPictures(parser.value(windows), &error)) &&
        (!parser.isSet(sheet) || set.writeContactSheet(parser.value(sheet), &error)) &&
        (!parser.isSet(appIcons) ||
         pictures::PictureSet::writeAppIcons(parser.value(appIcons), QStringLiteral("nimbo-lux"), &error));
    if (!ok) {
        std::fprintf(stderr, "nimbo-pictures: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
