// Screenshots of forms for a person to look at, kept under the build's test folder, and the pixel
// checks that tell drawn text from an empty rectangle.
#pragma once

#include <string>

#include <QDir>
#include <QImage>
#include <QWidget>

// Grabs the widget (a window's client area, say) and saves it as screens/<name>.png. Answers the
// image grabbed.
inline QImage SaveScreen(QWidget* widget, const std::string& name) {
  QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
  QDir().mkpath(QStringLiteral(OV_QT_SCREENS));
  image.save(QStringLiteral(OV_QT_SCREENS) + QLatin1Char('/') + QString::fromStdString(name) +
             QStringLiteral(".png"));
  return image;
}

// How many pixels of the rectangle differ from its top left pixel.
inline int InkIn(const QImage& image, const QRect& rect) {
  QRect inside = rect.intersected(image.rect());
  if (inside.isEmpty()) return 0;
  QRgb background = image.pixel(inside.topLeft());
  int ink = 0;
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if (image.pixel(x, y) != background) ++ink;
    }
  }
  return ink;
}
