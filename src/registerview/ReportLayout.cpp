#include "registerview/ReportLayout.h"

#include "registerview/ProgressChart.h"
#include "registerview/RegisterMessages.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <numeric>

namespace {

QFont font(double points, bool bold = false)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Text in a width: one line drawn as it is, or laid out over several lines,
// broken between words or, for a word longer than the width, inside it.
class Block
{
public:
    Block(QString text, const QFont &font, QPaintDevice *device, double width, Qt::Alignment align = Qt::AlignLeft)
        : m_font(font), m_width(width), m_align(align)
    {
        // A name may hold a line break: it stays one, never a box.
        text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
        text.replace(u'\n', QChar::LineSeparator).replace(u'\r', QChar::LineSeparator);
        const QFontMetricsF metrics(font, device);
        m_height = metrics.height();
        if (!text.contains(QChar::LineSeparator) && metrics.horizontalAdvance(text) <= width) {
            m_text = text;
            return;
        }
        m_layout = std::make_shared<QTextLayout>(text, font, device);
        QTextOption option(align);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_layout->setTextOption(option);
        m_layout->beginLayout();
        double y = 0;
        for (QTextLine line = m_layout->createLine(); line.isValid(); line = m_layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        m_layout->endLayout();
        m_height = qMax(y, m_height);
    }

    double height() const { return m_height; }

    void draw(QPainter &painter, const QPointF &at) const
    {
        if (m_layout) {
            m_layout->draw(&painter, at);
            return;
        }
        painter.setFont(m_font);
        painter.drawText(QRectF(at, QSizeF(m_width, m_height)), int(m_align | Qt::AlignTop), m_text);
    }

private:
    QString m_text;
    QFont m_font;
    double m_width;
    Qt::Alignment m_align;
    double m_height = 0;
    std::shared_ptr<QTextLayout> m_layout; // none: one line
};

// The widest line of the texts, or their widest word.
double widest(const QStringList &texts, const QFontMetricsF &metrics, bool words)
{
    double most = 0;
    for (QString text : texts) {
        if (words)
            text.replace(u'\n', u' ');
        for (const QString &part : text.split(words ? u' ' : u'\n'))
            most = qMax(most, metrics.horizontalAdvance(part));
    }
    return most;
}

// Each column as wide as its widest text and a gap. When that is more than
// the page, the wrapping columns keep their longest word and share what
// the others leave after their own widest text (a long name gets more
// room than a short account).
QList<double> columnWidths(const ReportTable &table, const QFontMetricsF &text, const QFontMetricsF &header, double page,
                           double gap)
{
    const qsizetype count = table.headers.size();
    QList<double> natural(count), least(count);
    for (qsizetype i = 0; i < count; ++i) {
        QStringList cells;
        for (const QStringList &row : table.rows)
            cells.append(row[i]);
        natural[i] = qMax(widest({table.headers[i]}, header, false), widest(cells, text, false)) + gap;
        // A wrapping column's header wraps too, between its words; a word
        // longer than a quarter of the page breaks inside.
        least[i] = table.wraps[i] ? qMin(qMax(widest({table.headers[i]}, header, true), widest(cells, text, true)) + gap,
                                         qMax(page / 4, widest({table.headers[i]}, header, true) + gap))
                                  : natural[i];
    }
    const double sum = std::accumulate(natural.cbegin(), natural.cend(), 0.0);
    const double leastSum = std::accumulate(least.cbegin(), least.cend(), 0.0);
    if (sum <= page) {
        for (double &width : natural)
            width += (page - sum) / double(count);
        return natural;
    }
    // Too little room even for that: every column gives up its share.
    if (leastSum >= page) {
        for (double &width : natural)
            width *= page / sum;
        return natural;
    }
    const double share = (page - leastSum) / (sum - leastSum);
    for (qsizetype i = 0; i < count; ++i)
        natural[i] = least[i] + (natural[i] - least[i]) * share;
    return natural;
}

class Pages
{
public:
    Pages(QPagedPaintDevice &device, const ReportDocument &document)
        : m_device(device), m_doc(document)
    {
        const QFontMetricsF small(font(8), &device);
        m_footer = small.height() * 2;
        m_width = device.width();
        m_bottom = device.height() - m_footer;
        m_gap = QFontMetricsF(font(9), &device).averageCharWidth() * 1.6;
        m_widths = columnWidths(document.table, QFontMetricsF(font(9), &device), QFontMetricsF(font(9, true), &device),
                                m_width, m_gap);
        m_header = row(document.table.headers, font(9, true));
        for (const QStringList &cells : document.table.rows)
            m_rows.append(row(cells, font(9)));
    }

    // Lays the pages out; with a painter, paints them, numbered of pages.
    int run(QPainter *painter, int pages)
    {
        m_painter = painter;
        m_page = 1;
        m_pages = pages;
        m_y = 0;
        block(Block(m_doc.title, font(16, true), &m_device, m_width));
        for (const QString &line : m_doc.lines)
            block(Block(line, font(10), &m_device, m_width));
        m_y += m_gap;
        // The chart first, under what the report holds: never alone on a
        // last page.
        if (m_doc.chart.points.isEmpty())
            block(Block(emptyChartText(m_doc.chart), font(11), &m_device, m_width));
        else
            chart(qMin(m_bottom * 0.42, m_width * 0.6));
        m_y += m_gap;
        if (!m_doc.table.rows.isEmpty()) {
            tableRow(m_header, true);
            for (const Row &cells : std::as_const(m_rows)) {
                if (m_y + cells.height > m_bottom && newPage())
                    tableRow(m_header, true);
                tableRow(cells, false);
            }
        }
        footer();
        return m_page;
    }

private:
    struct Row
    {
        QList<Block> cells;
        double height = 0;
    };

    Row row(const QStringList &texts, const QFont &font) const
    {
        Row made;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const Qt::Alignment align = m_doc.table.numbers[i] ? Qt::AlignRight : Qt::AlignLeft;
            made.cells.append(Block(texts[i], font, &m_device, m_widths[i] - m_gap, align));
            made.height = qMax(made.height, made.cells.back().height());
        }
        made.height += m_gap * 0.6;
        return made;
    }

    // A new page, the footer closing the one before; false when the page
    // was still empty.
    bool newPage()
    {
        if (m_y == 0)
            return false;
        footer();
        if (m_painter)
            m_device.newPage();
        ++m_page;
        m_y = 0;
        return true;
    }

    void block(const Block &text)
    {
        if (m_y + text.height() > m_bottom)
            newPage();
        if (m_painter)
            text.draw(*m_painter, QPointF(0, m_y));
        m_y += text.height() * 1.15;
    }

    void tableRow(const Row &cells, bool header)
    {
        if (m_painter) {
            double x = 0;
            for (qsizetype i = 0; i < cells.cells.size(); ++i) {
                cells.cells[i].draw(*m_painter, QPointF(x + m_gap / 2, m_y + m_gap * 0.3));
                x += m_widths[i];
            }
            m_painter->setPen(QPen(header ? Qt::black : Qt::lightGray, 0));
            m_painter->drawLine(QPointF(0, m_y + cells.height), QPointF(m_width, m_y + cells.height));
            m_painter->setPen(Qt::black);
        }
        m_y += cells.height;
    }

    void chart(double height)
    {
        if (m_y + height > m_bottom)
            newPage();
        if (m_painter) {
            // Drawn as vectors, laid out at a screen's size and scaled.
            QGraphicsScene scene;
            auto *chart = new QChart; // the scene owns it
            scene.addItem(chart);
            const QRectF drawn(0, 0, 900, 900 * height / m_width);
            chart->setGeometry(drawn);
            fillChart(*chart, m_doc.chart, m_doc.today);
            // The chart lays out its axes and legend on events of its own.
            QCoreApplication::sendPostedEvents();
            scene.render(m_painter, QRectF(0, m_y, m_width, height), drawn);
        }
        m_y += height;
    }

    void footer()
    {
        if (!m_painter)
            return;
        const QFont small = font(8);
        const double y = m_bottom + m_footer * 0.4;
        m_painter->setPen(QPen(Qt::darkGray, 0));
        m_painter->drawLine(QPointF(0, m_bottom + m_footer * 0.25), QPointF(m_width, m_bottom + m_footer * 0.25));
        const QString number = pageNumberText(m_page, m_pages);
        const double numberWidth = QFontMetricsF(small, &m_device).horizontalAdvance(number) + m_gap;
        Block(m_doc.footer, small, &m_device, m_width - numberWidth).draw(*m_painter, QPointF(0, y));
        Block(number, small, &m_device, numberWidth, Qt::AlignRight).draw(*m_painter, QPointF(m_width - numberWidth, y));
        m_painter->setPen(Qt::black);
    }

    QPagedPaintDevice &m_device;
    const ReportDocument &m_doc;
    QPainter *m_painter = nullptr;
    double m_width = 0, m_bottom = 0, m_footer = 0, m_gap = 0, m_y = 0;
    int m_page = 1, m_pages = 1;
    QList<double> m_widths;
    Row m_header;
    QList<Row> m_rows;
};

} // namespace

bool paintReport(QPagedPaintDevice &device, const ReportDocument &document)
{
    Pages pages(device, document);
    const int count = pages.run(nullptr, 0); // first how many, for "of N"
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    pages.run(&painter, count);
    return painter.end();
}
