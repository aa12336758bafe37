#pragma once
#include <map>

#include "toolkit/raster_types.h"

namespace pitbox::ui {

// Draws text onto our pictures with GDI: each text is drawn opaque into a small
// DIB section and copied in, clipped to the picture. Needs no window.
class GdiTextPainter : public TextPainter {
public:
    GdiTextPainter();
    ~GdiTextPainter() override;
    GdiTextPainter(const GdiTextPainter&) = delete;
    GdiTextPainter& operator=(const GdiTextPainter&) = delete;

    // The face asked for when it is there, else a face of the same kind
    // (monospaced or not) that is.
    void loadFont(int id, const FontSpec& wanted);
    void drawText(Picture& picture, int font, int x, int y, const std::string& utf8, Colour front,
                  Colour back) override;

private:
    void* dc_;                    // a memory device context
    std::map<int, void*> fonts_;  // HFONT by id
};

}  // namespace pitbox::ui
