#pragma once

#include "printing/pagesurface.h"

#include <QPainter>
#include <memory>

class QPagedPaintDevice;

namespace tervan {

// Pages drawn with a painter on a paged device. A page opens with the first item printed on
// it. Ending a document either starts a new page of the same file (a PDF) or finishes the
// print job, so that the next page is a job of its own (a printer).
class PainterBackend final : public PageBackend
{
public:
    enum class Documents { PagesOfOneFile, SeparateJobs };

    PainterBackend(QPagedPaintDevice& device, Documents documents);
    // Owns the device, which outlives the painter.
    PainterBackend(std::unique_ptr<QPagedPaintDevice> device, Documents documents);
    ~PainterBackend() override;

    QSizeF printableTwips() const override;
    double textWidthTwips(const QFont& font, const QString& text) override;
    double lineHeightTwips(const QFont& font) override;
    void text(QPointF at, const QString& text, const QFont& font, int colour) override;
    void line(QPointF from, QPointF to, int colour, int widthPixels) override;
    void polyline(const std::vector<QPointF>& points, int colour, int widthPixels) override;
    void setPaperA4() override;
    void endDocument() override;
    bool failed() const override { return m_failed; }
    bool finish() override;

private:
    bool openPage();
    double dpiX() const;
    double dpiY() const;
    QPointF toDevice(QPointF twips) const;
    QFont deviceFont(const QFont& font) const;
    void setLinePen(int colour, int widthPixels);

    std::unique_ptr<QPagedPaintDevice> m_owned;
    QPagedPaintDevice& m_device;
    Documents m_documents;
    QPainter m_painter;
    bool m_pageHasOutput = false;
    bool m_newPageDue = false;
    bool m_failed = false;
    // The pen of the last line, kept while lines of one colour and width follow.
    int m_penColour = -2;
    int m_penWidth = 0;
    std::vector<QPointF> m_devicePoints;
};

} // namespace tervan
