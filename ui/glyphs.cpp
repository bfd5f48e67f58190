#include "ui/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace varnex {

QIcon MakeGlyph(Glyph which) {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPen ink(QColor(40, 60, 90), 2);
  p.setPen(ink);
  switch (which) {
    case Glyph::Clear:  // a blank page with a folded corner
      p.setBrush(Qt::white);
      p.drawPolygon(QPolygon({{8, 3}, {20, 3}, {26, 9}, {26, 29}, {8, 29}}));
      p.drawPolyline(QPolygon({{20, 3}, {20, 9}, {26, 9}}));
      break;
    case Glyph::Open:  // an open folder
      p.setBrush(QColor(240, 200, 90));
      p.drawRect(4, 9, 22, 17);
      p.setBrush(QColor(250, 220, 120));
      p.drawPolygon(QPolygon({{8, 14}, {30, 14}, {26, 26}, {4, 26}}));
      break;
    case Glyph::Save:  // a diskette
      p.setBrush(QColor(70, 110, 170));
      p.drawRect(5, 4, 22, 24);
      p.setBrush(Qt::white);
      p.drawRect(10, 4, 12, 8);
      p.drawRect(9, 17, 14, 11);
      break;
    case Glyph::View:  // a small tree of nodes
      p.setBrush(QColor(90, 160, 90));
      p.drawLine(9, 8, 9, 25);
      p.drawLine(9, 16, 20, 16);
      p.drawLine(9, 25, 20, 25);
      p.drawEllipse(QPoint(9, 7), 4, 4);
      p.drawEllipse(QPoint(22, 16), 4, 4);
      p.drawEllipse(QPoint(22, 25), 4, 4);
      break;
    case Glyph::Edit:  // a pencil
      p.setBrush(QColor(240, 190, 60));
      p.drawPolygon(QPolygon({{6, 26}, {8, 19}, {22, 5}, {27, 10}, {13, 24}}));
      p.drawLine(6, 26, 9, 25);
      break;
    case Glyph::Trace:  // lines of text under a magnifier
      for (int y = 7; y <= 25; y += 6) p.drawLine(4, y, 18, y);
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPoint(21, 18), 6, 6);
      p.drawLine(25, 22, 29, 27);
      break;
    case Glyph::FKeys:  // a key cap marked F
      p.setBrush(QColor(225, 225, 225));
      p.drawRoundedRect(5, 6, 22, 20, 4, 4);
      p.setFont(QFont(QStringLiteral("Sans"), 11, QFont::Bold));
      p.drawText(QRect(5, 6, 22, 20), Qt::AlignCenter, QStringLiteral("F"));
      break;
    case Glyph::Speech: {  // a loudspeaker with sound waves
      p.setBrush(QColor(60, 60, 60));
      p.drawPolygon(QPolygon({{4, 12}, {10, 12}, {17, 6}, {17, 26}, {10, 20}, {4, 20}}));
      p.setBrush(Qt::NoBrush);
      p.drawArc(16, 10, 8, 12, -60 * 16, 120 * 16);
      p.drawArc(16, 6, 14, 20, -60 * 16, 120 * 16);
      break;
    }
    case Glyph::Exit:  // a door with an arrow leaving it
      p.setBrush(QColor(170, 120, 80));
      p.drawRect(6, 4, 12, 24);
      p.setPen(QPen(QColor(190, 40, 40), 3));
      p.drawLine(14, 16, 28, 16);
      p.drawLine(23, 11, 28, 16);
      p.drawLine(23, 21, 28, 16);
      break;
    case Glyph::App: {  // a speech bubble
      p.setBrush(QColor(80, 150, 110));
      QPainterPath bubble;
      bubble.addRoundedRect(3, 4, 26, 18, 6, 6);
      bubble.moveTo(9, 21);
      bubble.lineTo(7, 29);
      bubble.lineTo(16, 21);
      p.drawPath(bubble.simplified());
      p.setPen(QPen(Qt::white, 2));
      p.drawLine(9, 11, 23, 11);
      p.drawLine(9, 16, 19, 16);
      break;
    }
  }
  return QIcon(pm);
}

}  // namespace varnex
