// The toolbar glyphs and the window icon, drawn here so that nothing has to
// be shipped: small pictures that fit each caption.
#pragma once

#include <QIcon>
#include <QString>

namespace varnex {

enum class Glyph { Clear, Open, Save, View, Edit, Trace, FKeys, Speech, Exit, App };
QIcon MakeGlyph(Glyph which);

}  // namespace varnex
