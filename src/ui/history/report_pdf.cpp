#include "ui/history/report_pdf.h"

#include "core/history/history.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <algorithm>

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

QString Text(int id) { return QString::fromStdString(LoadString(id)); }
QString Q(const std::string &text) { return QString::fromStdString(text); }

// Lays out the report page by page in points (1/72 inch) on A4 portrait.
class CReportPainter {
public:
  CReportPainter(QPdfWriter &writer, QPainter &painter) : m_writer(writer), m_painter(painter) {
    const QRect page = m_writer.pageLayout().paintRectPoints();
    m_width = page.width();
    m_height = page.height();
    // The painter works in device units; the report is laid out in points.
    const double scale = m_writer.resolution() / 72.0;
    m_painter.scale(scale, scale);
    // A font's point size already counts the writer's resolution; under the
    // scale above it would count twice.
    const double points = 72.0 / m_writer.resolution();
    m_body = QFont(QStringLiteral("Sans Serif"));
    m_body.setPointSizeF(8.5 * points);
    m_bold = m_body;
    m_bold.setBold(true);
    m_title = m_body;
    m_title.setPointSizeF(15 * points);
    m_title.setBold(true);
  }

  int Width() const { return m_width; }

  void Title(const QString &text) {
    m_painter.setFont(m_title);
    Need(28);
    m_painter.drawText(QRectF(0, m_y, m_width, 24), Qt::AlignLeft | Qt::AlignVCenter, text);
    m_y += 30;
  }
  void Heading(const QString &text) {
    Need(40);
    m_y += 6;
    m_painter.setFont(m_bold);
    m_painter.drawText(QRectF(0, m_y, m_width, 14), Qt::AlignLeft | Qt::AlignVCenter, text);
    m_y += 16;
  }
  void Pair(const QString &name, const QString &value) {
    Need(13);
    m_painter.setFont(m_bold);
    m_painter.drawText(QRectF(0, m_y, 110, 12), Qt::AlignLeft | Qt::AlignVCenter, name);
    m_painter.setFont(m_body);
    m_painter.drawText(QRectF(112, m_y, m_width - 112, 12), Qt::AlignLeft | Qt::AlignVCenter, value);
    m_y += 13;
  }
  // One table row: columns given as fractions of the width; marked rows
  // are bold on a tinted band with a mark in the margin, so the difference
  // survives a black-and-white printer.
  void Row(const QStringList &cells, const std::vector<double> &widths, bool header, bool marked) {
    const double rowHeight = 11.5;
    if (!Need(rowHeight) && !header && !m_header.isEmpty())
      Row(m_header, m_headerWidths, true, false);
    if (header) {
      m_header = cells;
      m_headerWidths = widths;
      m_painter.fillRect(QRectF(0, m_y, m_width, rowHeight), QColor(225, 225, 225));
    } else if (marked) {
      m_painter.fillRect(QRectF(0, m_y, m_width, rowHeight), QColor(250, 210, 210));
    }
    m_painter.setFont(header || marked ? m_bold : m_body);
    double x = 0;
    for (int n = 0; n < cells.size(); ++n) {
      const double w = widths[static_cast<std::size_t>(n)] * m_width;
      const QString text = m_painter.fontMetrics().elidedText(cells[n], Qt::ElideRight, static_cast<int>(w - 4));
      m_painter.drawText(QRectF(x + 2, m_y, w - 4, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, text);
      x += w;
    }
    m_painter.setPen(QColor(190, 190, 190));
    m_painter.drawLine(QPointF(0, m_y + rowHeight), QPointF(m_width, m_y + rowHeight));
    m_painter.setPen(Qt::black);
    m_y += rowHeight;
  }
  void EndTable() { m_header.clear(); }
  void Image(const QImage &image) {
    const double h = std::min<double>(m_height * 0.45, m_width * image.height() / std::max(1, image.width()));
    Need(h);
    m_painter.drawImage(QRectF(0, m_y, h * image.width() / std::max(1, image.height()), h), image);
    m_y += h + 6;
  }
  void Footer(const QString &text) {
    m_painter.setFont(m_body);
    m_painter.drawText(QRectF(0, m_height - 12, m_width, 12), Qt::AlignRight | Qt::AlignVCenter, text);
  }
  void SetFooterText(const QString &text) { m_footer = text; }

private:
  // True when the height fits on the page; otherwise starts a new page.
  bool Need(double height) {
    if (m_y + height <= m_height - 18)
      return true;
    Footer(m_footer);
    m_writer.newPage();
    m_y = 0;
    return false;
  }

  QPdfWriter &m_writer;
  QPainter &m_painter;
  int m_width = 0;
  int m_height = 0;
  double m_y = 0;
  QFont m_body, m_bold, m_title;
  QStringList m_header;
  std::vector<double> m_headerWidths;
  QString m_footer;
};

} // namespace

bool WriteReportPdf(const CommissioningReport &report, const QImage &trend, const QString &path,
                    std::string &error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString().toStdString();
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(Text(IDS_REPORT_TITLE));
    writer.setCreator(QStringLiteral("vela"));
    QPainter painter(&writer);
    CReportPainter out(writer, painter);
    const CInstrumentIdentity &who = report.instrument.identity;
    out.SetFooterText(Q(who.model + " " + who.serial));

    out.Title(Text(IDS_REPORT_TITLE));
    out.Pair(Text(IDS_HISTORY_COL_MODEL), Q(who.model));
    out.Pair(Text(IDS_HISTORY_COL_SERIAL), who.ByPort() ? Text(IDS_HISTORY_BY_PORT) : Q(who.serial));
    out.Pair(Text(IDS_REPORT_FIRMWARE), Q(who.firmware));
    out.Pair(Text(IDS_HISTORY_COL_TAG), Q(who.tag));
    out.Pair(Text(IDS_HISTORY_COL_PORT), Q(report.asLeft.port));
    out.Pair(Text(IDS_REPORT_DATE), Q(report.asLeft.time.substr(0, 10)));
    out.Pair(Text(IDS_HISTORY_AS_FOUND), Q(report.asFound.time + "  (" + report.asFound.kind + ")"));
    out.Pair(Text(IDS_HISTORY_AS_LEFT), Q(report.asLeft.time));
    out.Pair(QString(), Q(report.rows.summary));

    out.Heading(Text(IDS_HISTORY_AS_FOUND) + QStringLiteral(" / ") + Text(IDS_HISTORY_AS_LEFT));
    const std::vector<double> compareWidths = {0.04, 0.16, 0.32, 0.24, 0.24};
    out.Row({QString(), Text(IDS_COL_FUNCTION_BLOCK), Text(IDS_COL_PARAMETER_NAME), Text(IDS_HISTORY_AS_FOUND),
             Text(IDS_HISTORY_AS_LEFT)},
            compareWidths, true, false);
    for (const CompareRow &row : report.rows.rows)
      out.Row({row.differs ? QStringLiteral("*") : QString(), Q(row.blockName), Q(row.parameterName),
               Q(row.editedText), Q(row.deviceText)},
              compareWidths, false, row.differs);
    out.EndTable();

    out.Heading(Text(IDS_REPORT_JOURNAL));
    const std::vector<double> journalWidths = {0.17, 0.14, 0.21, 0.12, 0.12, 0.12, 0.12};
    out.Row({Text(IDS_HISTORY_COL_TIME), Text(IDS_HISTORY_COL_WHAT), Text(IDS_COL_PARAMETER_NAME),
             Text(IDS_HISTORY_COL_BEFORE), Text(IDS_HISTORY_COL_SENT), Text(IDS_HISTORY_COL_READ_BACK),
             Text(IDS_HISTORY_COL_RESULT)},
            journalWidths, true, false);
    for (const JournalEntry &e : report.journal)
      out.Row({Q(e.time), Q(e.context), Q(e.name), Q(e.before), Q(e.sent), Q(e.readBack), Q(e.result)},
              journalWidths, false, e.result != kResultKept && e.result != kResultSent);
    out.EndTable();

    if (!trend.isNull()) {
      out.Heading(Text(IDS_REPORT_TREND));
      out.Image(trend);
    }
    out.Footer(Q(who.model + " " + who.serial));
    if (!painter.end()) {
      error = "PDF";
      file.cancelWriting();
      return false;
    }
  }
  if (!file.commit()) {
    error = file.errorString().toStdString();
    return false;
  }
  return true;
}
