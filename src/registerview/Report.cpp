#include "registerview/Report.h"

#include "startup/SystemErrors.h"
#include "registerview/ProgressChart.h"
#include "registerview/PupilColumns.h"
#include "registerview/RegisterFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QGraphicsScene>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cerrno>
#include <iterator>

namespace {

// Each column's share of the page's width, in pupilColumns() order.
constexpr double kColumnWidths[] = {0.15, 0.10, 0.07, 0.16, 0.07, 0.07, 0.07, 0.10, 0.21};

class Pages
{
public:
    Pages(QPagedPaintDevice &device, QPainter &painter) : m_device(device), m_painter(painter) {}

    QRectF area() const { return QRectF(0, 0, m_device.width(), m_device.height()); }
    double y = 0;

    // Starts a new page when height does not fit on this one.
    bool fits(double height)
    {
        if (y + height <= area().height())
            return true;
        m_device.newPage();
        y = 0;
        return false;
    }

    void line(const QString &text, const QFont &font)
    {
        m_painter.setFont(font);
        const double height = QFontMetricsF(font, &m_device).height() * 1.3;
        fits(height);
        m_painter.drawText(QRectF(0, y, area().width(), height), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += height;
    }

    void row(const QStringList &cells, const QFont &font)
    {
        m_painter.setFont(font);
        const double height = QFontMetricsF(font, &m_device).height() * 1.5;
        double x = 0;
        Q_ASSERT(cells.size() == qsizetype(std::size(kColumnWidths)));
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const double width = area().width() * kColumnWidths[i];
            const QRectF cell(x, y, width - 8, height);
            const int align = (pupilColumns()[i].number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
            m_painter.drawText(cell, align, QFontMetricsF(font, &m_device).elidedText(cells[i], Qt::ElideRight, cell.width()));
            x += width;
        }
        y += height;
        m_painter.setPen(QPen(Qt::lightGray, 0));
        m_painter.drawLine(QPointF(0, y), QPointF(area().width(), y));
        m_painter.setPen(Qt::black);
    }

private:
    QPagedPaintDevice &m_device;
    QPainter &m_painter;
};

QFont font(double points, bool bold = false)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QString failure(const QString &path, int error)
{
    return QStringLiteral("Non è stato possibile scrivere il file %1: %2.")
        .arg(QDir::toNativeSeparators(path), errorReason(error));
}

} // namespace

bool paintReport(QPagedPaintDevice &device, const ReportContent &content)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    Pages pages(device, painter);
    pages.line(QStringLiteral("Registro di Tarvimonda"), font(16, true));
    pages.line(QStringLiteral("Periodo: %1").arg(content.period), font(11));
    pages.line(QStringLiteral("Registro: %1").arg(QDir::toNativeSeparators(content.source)), font(9));
    int games = 0;
    for (const PupilSummary &pupil : content.pupils)
        games += pupil.games;
    QString counts = QStringLiteral("Alunni: %1. Partite: %2. Stampato il %3.")
                         .arg(content.pupils.size())
                         .arg(games)
                         .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy 'alle' HH:mm")));
    if (content.unreadable > 0)
        counts += QStringLiteral(" Nel registro: %1.").arg(unreadLines(content.unreadable));
    pages.line(counts, font(9));
    pages.y += 12;

    QStringList headers;
    for (const PupilColumn &column : pupilColumns())
        headers.append(QString::fromUtf8(column.header));
    pages.row(headers, font(9, true));
    for (const PupilSummary &pupil : content.pupils) {
        QStringList cells;
        for (const PupilColumn &column : pupilColumns())
            cells.append(column.text(pupil));
        if (!pages.fits(QFontMetricsF(font(9), &device).height() * 1.5))
            pages.row(headers, font(9, true));
        pages.row(cells, font(9));
    }

    // The chart, drawn as vectors, below the table or on a page of its own.
    const double chartHeight = pages.area().height() * 0.45;
    pages.y += 24;
    pages.fits(chartHeight);
    QGraphicsScene scene;
    auto *chart = new QChart; // the scene owns it
    scene.addItem(chart);
    const QRectF drawn(0, 0, 900, 900 * chartHeight / pages.area().width());
    chart->setGeometry(drawn);
    fillChart(*chart, content.chart);
    // The chart lays out its axes and legend on events of its own.
    QCoreApplication::sendPostedEvents();
    scene.render(&painter, QRectF(0, pages.y, pages.area().width(), chartHeight), drawn);
    return painter.end();
}

std::optional<QString> writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, errno);
    if (file.write(bytes) != bytes.size() || !file.commit())
        return failure(path, errno == 0 ? EIO : errno);
    return std::nullopt;
}

std::optional<QString> writeReportPdf(const QString &path, const ReportContent &content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, errno);
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        pdf.setTitle(QStringLiteral("Registro di Tarvimonda"));
        pdf.setCreator(QStringLiteral("Tarvimonda"));
        if (!paintReport(pdf, content))
            return failure(path, EIO);
    }
    if (!file.commit())
        return failure(path, errno == 0 ? EIO : errno);
    return std::nullopt;
}
