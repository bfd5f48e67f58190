#include "ui/application.h"

#include <QApplication>

#include "ui/glyphs.h"

namespace varnex {

void SetUpApplication() {
  // The internal name only places the program's settings on disk. The
  // display name is deliberately left unset: Qt appends it to the caption of
  // every window (" — " plus the name), which would turn the fixed captions
  // into "... — Corvane Varnex Demonstration" and cut the small windows'
  // captions short. The application title shows where it belongs: as the
  // title of the message boxes (ui/dialogs.cpp).
  QApplication::setApplicationName(QStringLiteral("varnex"));
  QApplication::setWindowIcon(MakeGlyph(Glyph::App));
}

}  // namespace varnex
