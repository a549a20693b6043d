// Readable failure messages for the Qt values the window tests compare.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '{';
  for (const QString& text : texts) {
    PrintTo(text, out);
    *out << ' ';
  }
  *out << '}';
}

inline void PrintTo(const QRect& rect, std::ostream* out) {
  *out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ')';
}

inline void PrintTo(const QSize& size, std::ostream* out) {
  *out << "QSize(" << size.width() << ", " << size.height() << ')';
}

inline void PrintTo(const QPoint& point, std::ostream* out) {
  *out << "QPoint(" << point.x() << ", " << point.y() << ')';
}
