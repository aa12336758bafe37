// The command line's font engine as a plugin: Qt Gui is loaded only when a
// picture with lap records is drawn, so that the other commands start without
// it (Qt's libraries take about 25 ms to load).
#include <QGuiApplication>
#include <iostream>
#include <memory>

#include "toolkit/qt/qt_text_painter.h"

namespace {

// Qt's own warnings (a missing runtime folder, say) are not the user's business here.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << "pitbox-cli: " << message.toStdString() << "\n";
}

QGuiApplication* app = nullptr;

}  // namespace

// A painter with `wanted` loaded as `font`; the caller owns it.
extern "C" __attribute__((visibility("default"))) pitbox::raster::TextPainter* pitboxTextPainter(
    int font, const pitbox::raster::FontSpec* wanted) {
    if (!app) {
        qInstallMessageHandler(quietQt);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "pitbox-cli";
        static char* argv[] = {name, nullptr};
        app = new QGuiApplication(argc, argv);
    }
    auto painter = std::make_unique<pitbox::ui::QtTextPainter>();
    painter->loadFont(font, *wanted);
    return painter.release();
}

// Ends Qt's application once every painter is gone, before the program's exit,
// while Qt's own statics still live.
extern "C" __attribute__((visibility("default"))) void pitboxTextDone() {
    delete app;
    app = nullptr;
}
