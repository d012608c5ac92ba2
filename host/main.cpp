// vexo-host, interim: shows a small window built with the form toolkit, or
// renders it to nimbos.png when there is no display.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <cstdio>

#include "platform/com/runtimeerror.h"
#include "platform/forms/commandbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/controlref.h"
#include "platform/forms/formobject.h"
#include "platform/forms/image.h"
#include "platform/forms/shape.h"

namespace {

using forms::ControlKind;
using forms::ControlSpec;

constexpr ControlSpec kDemoControls[] = {
    {.kind = ControlKind::CommandButton,
     .name = "Quit",
     .left = 3000,
     .top = 2880,
     .width = 1200,
     .height = 372,
     .tabIndex = 0,
     .caption = "Close"},
    {.kind = ControlKind::Shape,
     .name = "Ground",
     .left = 0,
     .top = 2760,
     .width = 4440,
     .height = 612,
     .fillColor = forms::Color::fromRgb(0, 64, 0)},
    {.kind = ControlKind::Image,
     .name = "Nimbo",
     .index = 1,
     .left = 1200,
     .top = 120,
     .width = 1440,
     .height = 2208},
    {.kind = ControlKind::Image,
     .name = "Nimbo",
     .index = 0,
     .left = 120,
     .top = 120,
     .width = 1440,
     .height = 2208},
};
constexpr forms::FormLayout kDemoLayout{.name = "DemoForm",
                                        .caption = "Nimbo Lux demo",
                                        .clientWidth = 4440,
                                        .clientHeight = 3396,
                                        .controls = kDemoControls};

// An envelope drawn in code: broad round top narrowing to a small mouth.
com::ComPtr<forms::Picture> envelope(const QColor& colour) {
    QImage image(120, 184, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(52, 183);
    path.cubicTo(10, 140, 0, 90, 0, 60);
    path.arcTo(0, 0, 120, 120, 180, -180);
    path.cubicTo(120, 90, 110, 140, 68, 183);
    path.closeSubpath();
    QLinearGradient shade(0, 0, 0, 184);
    shade.setColorAt(0, colour.darker(160));
    shade.setColorAt(1, colour.lighter(140));
    painter.fillPath(path, shade);
    painter.setPen(QPen(colour.darker(250), 2));
    painter.drawPath(path);
    return forms::Picture::fromImage(image);
}

class DemoForm : public forms::FormObject<DemoForm> {
public:
    DemoForm() : FormObject(kDemoLayout) {
        onClick(Quit, [this] { widget()->close(); });
    }

    forms::ControlArray<forms::Image> Nimbo{this, "Nimbo"};
    forms::ControlRef<forms::CommandButton> Quit{this, "Quit"};

private:
    void Form_Load() override {
        Nimbo(0).setPicture(envelope(QColor(40, 90, 230)));
        Nimbo(1).setPicture(envelope(QColor(240, 120, 20)));
    }
};

bool hasDisplay() {
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (arguments.contains("--help") || arguments.contains("-h") || !arguments.contains("--demo")) {
        std::printf(
            "usage: vexo-host --demo\n"
            "  --demo   show a small window made with the form toolkit; without a display,\n"
            "           render it to nimbos.png in the current folder\n"
            "  --help   this text\n");
        return arguments.contains("--help") || arguments.contains("-h") ? 0 : 2;
    }

    const bool display = hasDisplay();
    if (!display) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        const com::ComPtr<DemoForm> form = forms::createForm<DemoForm>();
        if (!display) {
            const QString path = QDir::current().absoluteFilePath("nimbos.png");
            if (!form->render().save(path)) {
                std::fprintf(stderr, "vexo-host: cannot write %s\n", qPrintable(path));
                return 1;
            }
            std::printf("No display: rendered the demo window to %s\n", qPrintable(path));
            return 0;
        }
        form->show();
        QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
        return app.exec();
    } catch (const com::RuntimeError& error) {
        std::fprintf(stderr, "vexo-host: run-time error %d: %s\n", error.number(),
                     error.description().c_str());
        return 1;
    }
}
