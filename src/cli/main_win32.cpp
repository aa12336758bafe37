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
#include "preview/track_preview.h"
#include "ui/win32/gdi_text_painter.h"

namespace {

std::string utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(utf8(argv[i]));
    auto painters = [](int font) -> std::unique_ptr<pitbox::ui::TextPainter> {
        auto painter = std::make_unique<pitbox::ui::GdiTextPainter>();
        painter->loadFont(font, pitbox::preview::kRecordsFont);
        return painter;
    };
    std::ios::sync_with_stdio(false);
    return pitbox::cli::run(args, std::cout, std::cerr, painters);
}
