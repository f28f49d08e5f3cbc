// Test helper: the first page of a PDF file as an image, rendered by
// pdftoppm, and the box around everything drawn on it.
#pragma once

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

inline QImage RenderPdfPage(const QString &pdf, int dpi = 40) {
  QTemporaryDir dir;
  const QString prefix = dir.filePath("page");
  QProcess::execute("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", "1", "-l", "1", "-singlefile", pdf, prefix});
  return QImage(prefix + ".png");
}

// The smallest rectangle holding every pixel that is not white.
inline QRect InkBox(const QImage &page) {
  QRect box;
  const QImage img = page.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y) {
    const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0xffffff) != 0xffffff)
        box |= QRect(x, y, 1, 1);
  }
  return box;
}
