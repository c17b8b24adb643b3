#include "monitor/ui/ConnectionTableCommands.h"

#include "monitor/ConnectionListFile.h"
#include "monitor/ListExporter.h"
#include "settings/DebugTrace.h"

#include <QAbstractItemModel>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <vector>

namespace wv {

namespace {

const QString PrintTitle = QStringLiteral("Wirevane connections");

QString cell(const QAbstractItemModel &model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

} // namespace

ConnectionTableCommands::ConnectionTableCommands(const QAbstractItemModel &model, QWidget *parent)
    : QObject(parent), m_model(model), m_parent(parent)
{
    save1 = new QFileDialog(parent, QStringLiteral("Save connection list to file"));
    save1->setAcceptMode(QFileDialog::AcceptSave);
    save1->setNameFilters(ListExporter::nameFilters());
}

ConnectionTableCommands::~ConnectionTableCommands() = default;

void ConnectionTableCommands::setErrorReporter(std::function<void(const QString &)> reporter)
{
    m_errorReporter = std::move(reporter);
}

void ConnectionTableCommands::reportError(const QString &message)
{
    if (m_errorReporter)
        m_errorReporter(message);
    else
        QMessageBox::critical(m_parent, QStringLiteral("Error"), message);
}

bool ConnectionTableCommands::runSaveDialog(QString *path, int *filterIndex)
{
    const bool accepted = save1->exec() == QDialog::Accepted && !save1->selectedFiles().isEmpty();
    if (accepted) {
        const auto format = ListExporter::formatForFilter(save1->selectedNameFilter())
                                .value_or(ListExporter::Format::Text);
        *path = save1->selectedFiles().first();
        *filterIndex = int(format);
        if (QFileInfo(*path).suffix().isEmpty())
            *path += QLatin1Char('.') + ListExporter::extension(format);
    }
    // The next save starts without a file name.
    save1->selectFile(QString());
    return accepted;
}

void ConnectionTableCommands::SaveConnectionsToFile()
{
    DebugLog(QStringLiteral("SaveConnectionsToFile;"));
    QString path;
    int filterIndex = 1;
    const bool chosen =
        chooseFile ? chooseFile(&path, &filterIndex) : runSaveDialog(&path, &filterIndex);
    if (!chosen)
        return;
    QString error;
    if (!ConnectionListFile::save(m_model, path, filterIndex, &error))
        reportError(error);
}

void ConnectionTableCommands::PrintConnectionTable()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("WVN Table"));
    bool chosen = false;
    if (choosePrinter) {
        chosen = choosePrinter(printer);
    } else {
        QPrintDialog dialog(&printer, m_parent);
        chosen = dialog.exec() == QDialog::Accepted;
    }
    if (!chosen)
        return;
    if (printTable(m_model, printer) == 0)
        reportError(QStringLiteral("Cannot print the connection table: the printer did not start"));
}

int ConnectionTableCommands::printTable(const QAbstractItemModel &model, QPrinter &printer,
                                        const QDateTime &when)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;

    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int width = page.width();

    QFont bodyFont(QStringLiteral("Sans Serif"), 9);
    QFont headFont = bodyFont;
    headFont.setBold(true);
    QFont titleFont = bodyFont;
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    const QFontMetrics body(bodyFont, &printer);
    const QFontMetrics head(headFont, &printer);
    const QFontMetrics title(titleFont, &printer);
    const int pad = body.averageCharWidth() / 2 + 1;

    // Each column as wide as its widest text, shrunk together to the page.
    const int columns = model.columnCount();
    const int rows = model.rowCount();
    std::vector<int> widths(size_t(std::max(columns, 0)));
    for (int c = 0; c < columns; ++c) {
        int w = head.horizontalAdvance(model.headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < rows; ++r)
            w = std::max(w, body.horizontalAdvance(cell(model, r, c)));
        // A pad either side, and room for the rounding of text widths.
        widths[size_t(c)] = w + 3 * pad;
    }
    int total = 0;
    for (int w : widths)
        total += w;
    if (total > width) {
        for (int &w : widths)
            w = int(qint64(w) * width / total);
    }

    TablePaging paging;
    paging.pageHeight = page.height();
    paging.titleHeight = title.height() + body.height();
    paging.headerHeight = head.height() + 2 * pad;
    paging.rowHeight = body.height() + pad;
    const int perPage = paging.rowsPerPage();
    const int pages = paging.pageCount(rows);
    const QString date = ConnectionListFile::printDate(when);

    auto drawRow = [&](int y, int height, auto &&textOf, const QFontMetrics &fm) {
        int x = 0;
        for (int c = 0; c < columns; ++c) {
            const int w = widths[size_t(c)];
            const QRect box(x + pad, y, std::max(0, w - 2 * pad), height);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                             fm.elidedText(textOf(c), Qt::ElideRight, box.width()));
            x += w;
        }
    };

    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !printer.newPage())
            return 0;
        painter.setFont(titleFont);
        painter.drawText(QRect(0, 0, width, title.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         PrintTitle);
        painter.setFont(bodyFont);
        painter.drawText(QRect(0, 0, width, title.height()), Qt::AlignRight | Qt::AlignVCenter,
                         date);

        int y = paging.titleHeight;
        painter.setFont(headFont);
        drawRow(
            y, paging.headerHeight,
            [&](int c) { return model.headerData(c, Qt::Horizontal).toString(); }, head);
        y += paging.headerHeight;
        painter.drawLine(0, y - 1, width, y - 1);

        painter.setFont(bodyFont);
        const int last = std::min(rows, (p + 1) * perPage);
        for (int r = p * perPage; r < last; ++r) {
            drawRow(
                y, paging.rowHeight, [&](int c) { return cell(model, r, c); }, body);
            y += paging.rowHeight;
        }
    }
    painter.end();
    return pages;
}

} // namespace wv
