// The commissioning report as a PDF on A4: identity, date and port, the
// as-found and as-left values side by side with the differences marked,
// the journal lines in between and, when there is one, the trend chart.
#pragma once

#include "core/history/commissioning_report.h"

#include <QImage>
#include <QString>

#include <string>

// Writes beside path and renames, so a failure leaves any earlier file
// whole. False with the system's reason in error.
bool WriteReportPdf(const CommissioningReport &report, const QImage &trend, const QString &path,
                    std::string &error);
