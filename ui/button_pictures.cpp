#include "ui/button_pictures.h"

#include <QConicalGradient>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

namespace {

const QColor kOutline(40, 40, 40);

void DrawMagnifier(QPainter& painter) {
  // Handle first, so the rim of the lens covers its end.
  painter.setPen(QPen(QColor(90, 60, 30), 5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(20, 20), QPointF(28, 28));
  QRadialGradient glass(QPointF(10, 10), 12);
  glass.setColorAt(0, QColor(235, 248, 255));
  glass.setColorAt(1, QColor(120, 180, 225));
  painter.setBrush(glass);
  painter.setPen(QPen(kOutline, 2.5));
  painter.drawEllipse(QPointF(13, 13), 9.5, 9.5);
  painter.setPen(QPen(QColor(255, 255, 255, 220), 1.5, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(7, 7, 12, 12), 100 * 16, 70 * 16);
}

void DrawDrive(QPainter& painter) {
  QLinearGradient body(0, 9, 0, 25);
  body.setColorAt(0, QColor(215, 215, 220));
  body.setColorAt(1, QColor(140, 140, 150));
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(body);
  painter.drawRoundedRect(QRectF(2.5, 9.5, 27, 15), 2, 2);
  // The front: a slot and the activity light.
  painter.setBrush(QColor(70, 70, 75));
  painter.setPen(Qt::NoPen);
  painter.drawRect(QRectF(6, 18, 14, 2));
  painter.setBrush(QColor(40, 200, 60));
  painter.drawEllipse(QPointF(25, 19), 1.8, 1.8);
  painter.setPen(QPen(QColor(255, 255, 255, 180), 1));
  painter.drawLine(QPointF(4, 11.5), QPointF(28, 11.5));
}

void DrawStopSign(QPainter& painter) {
  QPolygonF octagon;
  const double a = 8.5;
  const double b = 14.5;
  for (const QPointF& corner : {QPointF(-a, -b), QPointF(a, -b), QPointF(b, -a), QPointF(b, a),
                                QPointF(a, b), QPointF(-a, b), QPointF(-b, a), QPointF(-b, -a)}) {
    octagon << corner + QPointF(16, 16);
  }
  painter.setPen(QPen(QColor(120, 0, 0), 1.5));
  painter.setBrush(QColor(215, 30, 30));
  painter.drawPolygon(octagon);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(7, 13.5, 18, 5));
}

void DrawSheet(QPainter& painter) {
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(Qt::white);
  painter.drawPolygon(QPolygonF({{6.5, 2.5}, {20.5, 2.5}, {26.5, 8.5}, {26.5, 29.5}, {6.5, 29.5}}));
  // The folded corner.
  QPainterPath fold;
  fold.moveTo(20.5, 2.5);
  fold.lineTo(20.5, 8.5);
  fold.lineTo(26.5, 8.5);
  painter.setBrush(QColor(215, 215, 215));
  painter.drawPath(fold);
  painter.setPen(QPen(QColor(110, 130, 170), 1));
  for (int line = 0; line < 6; ++line) {
    const double y = 12.5 + line * 3;
    painter.drawLine(QPointF(9, y), QPointF(line == 5 ? 17 : 24, y));
  }
}

void DrawDiskette(QPainter& painter) {
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(QColor(45, 75, 150));
  painter.drawPolygon(QPolygonF({{3.5, 3.5}, {25.5, 3.5}, {28.5, 6.5}, {28.5, 28.5}, {3.5, 28.5}}));
  // Metal shutter at the top, paper label below.
  painter.setBrush(QColor(200, 200, 205));
  painter.drawRect(QRectF(9.5, 3.5, 13, 9));
  painter.setBrush(QColor(60, 60, 65));
  painter.setPen(Qt::NoPen);
  painter.drawRect(QRectF(17, 5, 3, 6));
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(QColor(250, 250, 240));
  painter.drawRect(QRectF(7.5, 16.5, 17, 12));
  painter.setPen(QPen(QColor(200, 60, 60), 1));
  painter.drawLine(QPointF(9, 19.5), QPointF(23, 19.5));
}

void DrawCompactDisc(QPainter& painter) {
  const QPointF centre(16, 16);
  QConicalGradient shine(centre, 30);
  shine.setColorAt(0.0, QColor(225, 225, 235));
  shine.setColorAt(0.2, QColor(190, 220, 250));
  shine.setColorAt(0.35, QColor(250, 230, 190));
  shine.setColorAt(0.5, QColor(210, 210, 225));
  shine.setColorAt(0.7, QColor(200, 245, 215));
  shine.setColorAt(0.85, QColor(245, 200, 235));
  shine.setColorAt(1.0, QColor(225, 225, 235));
  painter.setPen(QPen(QColor(110, 110, 120), 1));
  painter.setBrush(shine);
  painter.drawEllipse(centre, 14, 14);
  painter.setBrush(QColor(235, 235, 240));
  painter.drawEllipse(centre, 5, 5);
  // The hole shows the background through the disc.
  painter.setCompositionMode(QPainter::CompositionMode_Clear);
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(centre, 2.5, 2.5);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.setPen(QPen(QColor(110, 110, 120), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, 2.5, 2.5);
}

void DrawFolder(QPainter& painter) {
  painter.setPen(QPen(QColor(150, 110, 20), 1));
  painter.setBrush(QColor(225, 175, 50));
  painter.drawPolygon(QPolygonF(
      {{2.5, 27.5}, {2.5, 6.5}, {11.5, 6.5}, {14.5, 9.5}, {28.5, 9.5}, {28.5, 27.5}}));
  QLinearGradient front(0, 13, 0, 28);
  front.setColorAt(0, QColor(255, 225, 120));
  front.setColorAt(1, QColor(240, 190, 60));
  painter.setBrush(front);
  QPolygonF flap;
  flap << QPointF(2.5, 27.5) << QPointF(6.5, 13.5) << QPointF(30.5, 13.5) << QPointF(28.5, 27.5);
  painter.drawPolygon(flap);
}

void DrawWasteBin(QPainter& painter) {
  painter.setPen(QPen(kOutline, 1));
  QLinearGradient metal(7, 0, 25, 0);
  metal.setColorAt(0, QColor(150, 155, 165));
  metal.setColorAt(0.5, QColor(225, 228, 235));
  metal.setColorAt(1, QColor(130, 135, 145));
  painter.setBrush(metal);
  QPolygonF bin;
  bin << QPointF(7.5, 9.5) << QPointF(24.5, 9.5) << QPointF(22.5, 29.5) << QPointF(9.5, 29.5);
  painter.drawPolygon(bin);
  painter.setPen(QPen(QColor(90, 95, 105), 1.2));
  for (double x : {12.5, 16.0, 19.5}) painter.drawLine(QPointF(x, 12.5), QPointF(x, 26.5));
  // Lid with its handle.
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(QColor(170, 175, 185));
  painter.drawRect(QRectF(5.5, 5.5, 21, 4));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(13.5, 2.5, 5, 3));
  // The red cross marks deletion.
  painter.setPen(QPen(QColor(210, 25, 25), 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(20, 17), QPointF(29, 26));
  painter.drawLine(QPointF(29, 17), QPointF(20, 26));
}

}  // namespace

QPixmap DrawButtonPicture(ButtonPicture picture) {
  QImage image(kButtonPictureSize, kButtonPictureSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  switch (picture) {
    case ButtonPicture::Magnifier: DrawMagnifier(painter); break;
    case ButtonPicture::Drive: DrawDrive(painter); break;
    case ButtonPicture::StopSign: DrawStopSign(painter); break;
    case ButtonPicture::Sheet: DrawSheet(painter); break;
    case ButtonPicture::Diskette: DrawDiskette(painter); break;
    case ButtonPicture::CompactDisc: DrawCompactDisc(painter); break;
    case ButtonPicture::Folder: DrawFolder(painter); break;
    case ButtonPicture::WasteBin: DrawWasteBin(painter); break;
  }
  painter.end();
  return QPixmap::fromImage(image);
}
