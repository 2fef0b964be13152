#pragma once

#include <cstdint>
#include <span>

namespace quorvel {

enum class ControlClass { Edit, Button, Static, ListView };

// A control as the template lays it out, in dialog units.
struct ControlTemplate {
    int id;
    ControlClass cls;
    const char* text; // UTF-8; for an icon static, unused
    int x, y, cx, cy;
    std::uint32_t style;
};

// A dialog as data: the windows are built from these tables, never laid out by hand.
struct DialogTemplate {
    int id;
    const char* caption;
    int x, y, cx, cy;
    std::uint32_t style;
    std::uint32_t exStyle;
    const char* fontFace; // the template's own face; the families actually asked for are in
                          // DialogUnits (the face is Windows-only)
    int pointSize;
    std::span<const ControlTemplate> controls;
};

} // namespace quorvel
