// pitbox-cli: the command-line companion. Fonts for the lap-records text come
// from Qt's font engine, a plugin loaded only when a render needs it.
#include <iostream>
#include <memory>
#include <optional>

#include "cli/cli.h"
#include "platform/plugin.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<pitbox::Result<pitbox::platform::Plugin>> plugin;
    auto painters = [&plugin](int font,
                              const pitbox::raster::FontSpec& wanted) -> std::unique_ptr<pitbox::raster::TextPainter> {
        if (!plugin) plugin = pitbox::platform::Plugin::load("libpitbox-text-qt.so");
        if (!*plugin) {
            std::cerr << "pitbox-cli: " << plugin->error().message() << "\n";
            return nullptr;
        }
        using Make = pitbox::raster::TextPainter* (*)(int, const pitbox::raster::FontSpec*);
        auto make = reinterpret_cast<Make>((*plugin)->function("pitboxTextPainter"));
        return std::unique_ptr<pitbox::raster::TextPainter>(make ? make(font, &wanted) : nullptr);
    };
    std::ios::sync_with_stdio(false);
    const int code = pitbox::cli::run(args, std::cout, std::cerr, painters);
    // The painters are gone: Qt ends here, not in the exit handlers.
    if (plugin && *plugin)
        if (auto done = reinterpret_cast<void (*)()>((*plugin)->function("pitboxTextDone"))) done();
    return code;
}
