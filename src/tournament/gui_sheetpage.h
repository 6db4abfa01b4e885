#pragma once

#include <QPageLayout>
#include <QRectF>
#include <QString>

class QIODevice;
class QPainter;

namespace kv {

struct TournamentSheet;

// The sheet's page: A4 landscape, as the workbook prints it. The drawing keeps its own margins,
// so the page's layout has none.
QPageLayout sheetPageLayout();

// Draws the sheet as one page filling `page` (in the painter's coordinates, keeping the page's
// proportions, centred): the same table as the workbook's printed page. Used for the window,
// the printer and the PDF alike.
void paintTournamentSheet(QPainter& painter, const QRectF& page, const TournamentSheet& sheet);

// Writes the sheet as a one-page PDF. Throws kv::Error when drawing cannot start.
void writeSheetPdf(QIODevice& device, const TournamentSheet& sheet);

// Saves the sheet as a PDF file. The file is written under a temporary name and replaces an
// old one only when complete, so a failure leaves an old file as it was. Throws kv::Error with
// the players' text when the file cannot be written.
void saveSheetPdf(const TournamentSheet& sheet, const QString& path);

} // namespace kv
