// pitbox-cli: the command-line companion. Fonts for the lap-records text come
// from Qt's font engine, started only when a render needs them.
#include <QGuiApplication>
#include <iostream>
#include <memory>

#include "cli/cli.h"
#include "preview/track_preview.h"
#include "toolkit/qt/qt_text_painter.h"

// Qt's own warnings (a missing runtime folder, say) are not the user's business here.
static void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << "pitbox-cli: " << message.toStdString() << "\n";
}

int main(int argc, char** argv) {
    qInstallMessageHandler(quietQt);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::unique_ptr<QGuiApplication> app;
    auto painters = [&](int font) -> std::unique_ptr<pitbox::raster::TextPainter> {
        if (!app) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            static int qtArgc = 1;
            static char name[] = "pitbox-cli";
            static char* qtArgv[] = {name, nullptr};
            app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
        }
        auto painter = std::make_unique<pitbox::ui::QtTextPainter>();
        painter->loadFont(font, pitbox::preview::kRecordsFont);
        return painter;
    };
    std::ios::sync_with_stdio(false);
    return pitbox::cli::run(args, std::cout, std::cerr, painters);
}
