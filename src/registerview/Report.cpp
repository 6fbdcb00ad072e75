#include "registerview/Report.h"

#include "registerview/RegisterFeed.h"

#include <QPdfWriter>
#include <QSaveFile>

#include <cerrno>

namespace {

int lastError() { return errno == 0 ? EIO : errno; }

} // namespace

std::optional<PupilReportContent> pupilReportContent(const RegisterData &data, const QString &key, const Period &period,
                                                     const QDate &today)
{
    const ClassSummary summary = summarize(data.games, data.names, period, today, data.accounts);
    for (const PupilSummary &pupil : summary.pupils) {
        if (pupil.key != key)
            continue;
        PupilReportContent content{period.describe(today), pupil, pupilGames(data.games, data.names, key, period, today), {}};
        content.chart = pupilChart(pupil, content.games, content.period);
        return content;
    }
    return std::nullopt;
}

std::optional<int> writeWholeFile(const QString &path, const QByteArray &bytes)
{
    errno = 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return lastError();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return lastError();
    return std::nullopt;
}

std::optional<int> writeReportPdf(const QString &path, const ReportDocument &document)
{
    errno = 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return lastError();
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 12),
                                      QPageLayout::Millimeter));
        pdf.setTitle(document.title);
        pdf.setCreator(QStringLiteral("Tarvimonda"));
        if (!paintReport(pdf, document))
            return EIO;
    }
    if (!file.commit())
        return lastError();
    return std::nullopt;
}
