#pragma once

#include "printing/pagesurface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <functional>
#include <memory>
#include <optional>

class QPagedPaintDevice;

namespace tervan {

// Pages drawn with a painter on a paged device. A page opens with the first item printed on
// it; ending a document makes the next item start a new page. On a printer every report is a
// print job of its own, named by `nameJob` before its first page; in a file all pages follow
// each other.
class PainterBackend final : public PageBackend
{
public:
    enum class Documents { PagesOfOneFile, JobPerReport };
    using JobNamer = std::function<void(const QString& title)>;

    PainterBackend(QPagedPaintDevice& device, Documents documents, JobNamer nameJob = {});
    // Owns the device, which outlives the painter.
    PainterBackend(std::unique_ptr<QPagedPaintDevice> device, Documents documents,
                   JobNamer nameJob = {});
    ~PainterBackend() override;

    QSizeF printableTwips() const override;
    double textWidthTwips(const QFont& font, const QString& text) override;
    double lineHeightTwips(const QFont& font) override;
    void text(QPointF at, const QString& text, const QFont& font, int colour) override;
    void rotatedText(QPointF centre, double degrees, const QString& text, const QFont& font,
                     int colour) override;
    void line(QPointF from, QPointF to, int colour, int widthPixels) override;
    void polyline(const std::vector<QPointF>& points, int colour, int widthPixels) override;
    void fillPolygon(const std::vector<QPointF>& points, QRgb rgb) override;
    void setPaperA4() override;
    void setLandscape(bool landscape) override;
    void beginReport(const QString& title) override;
    void endDocument() override;
    int pageCount() const override { return m_pages; }
    QString printerName() const override { return m_printerName; }
    void setPrinterName(const QString& name) { m_printerName = name; }
    // How the device withdraws the job it has open (a printer's own abort).
    void setJobAborter(std::function<void()> abortJob) { m_abortJob = std::move(abortJob); }
    bool failed() const override { return m_failed; }
    bool finish() override;
    void abort() override;

private:
    bool openPage();
    double dpiX() const;
    double dpiY() const;
    QPointF toDevice(QPointF twips) const;
    QFont deviceFont(const QFont& font) const;
    // The printed face and its metrics for the font asked for last, which the next request
    // nearly always repeats.
    const QFontMetricsF& metrics(const QFont& font);
    void setLinePen(int colour, int widthPixels);

    std::unique_ptr<QPagedPaintDevice> m_owned;
    QPagedPaintDevice& m_device;
    Documents m_documents;
    JobNamer m_nameJob;
    std::function<void()> m_abortJob;
    QString m_printerName;
    QPainter m_painter;
    int m_pages = 0;
    bool m_newPageDue = false;
    bool m_failed = false;
    // The pen of the last line, kept while lines of one colour and width follow.
    int m_penColour = -2;
    int m_penWidth = 0;
    std::vector<QPointF> m_devicePoints;
    QFont m_metricsFont;
    QFont m_face;
    std::optional<QFontMetricsF> m_metrics;
};

} // namespace tervan
