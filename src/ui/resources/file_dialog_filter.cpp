#include "ui/resources/file_dialog_filter.h"

#include <QStringList>

QString FileDialogFilter(const std::string &resource) {
  const QStringList parts = QString::fromStdString(resource).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty())
      break;
    QString pattern = parts[i + 1];
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    // A name that already shows its pattern is not given it twice.
    filters << (parts[i].contains(pattern) ? parts[i] : parts[i] + " (" + pattern + ")");
  }
  return filters.join(QStringLiteral(";;"));
}
