// pitbox-cli.exe: the command-line companion on Windows. Arguments arrive as
// UTF-16 and become UTF-8; standard output is binary, so every output holds the
// same bytes as on Linux. The lap-records text is drawn with GDI.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/utf16.h"
#include "toolkit/win32/gdi_text_painter.h"

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(pitbox::platform::narrow(argv[i]));
    auto painters = [](int font,
                       const pitbox::raster::FontSpec& wanted) -> std::unique_ptr<pitbox::raster::TextPainter> {
        auto painter = std::make_unique<pitbox::ui::GdiTextPainter>();
        painter->loadFont(font, wanted);
        return painter;
    };
    std::ios::sync_with_stdio(false);
    return pitbox::cli::run(args, std::cout, std::cerr, painters);
}
