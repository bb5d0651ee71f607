#pragma once

#include "printing/pagesurface.h"

#include <QString>
#include <memory>

namespace tervan {

// Pages of an A4 PDF file with 6 mm margins, drawn with Cairo and shaped with Pango, so that
// the file's text reads back as the Thai that was printed (Qt's PDF writer stores Thai marks
// under private-use code points). Same face, sizes, positions, line widths and colours as the
// painter back end; all documents are pages of the one file. The file is written beside its
// name and takes it only once finished, so that an earlier file survives a failed or
// abandoned print.
class CairoPdfBackend final : public PageBackend
{
public:
    // Lines are written on a grid of `gridPoints` on the paper (0: as given).
    explicit CairoPdfBackend(const QString& fileName, double gridPoints = 1.0 / 16);
    ~CairoPdfBackend() override;

    QSizeF printableTwips() const override;
    double textWidthTwips(const QFont& font, const QString& text) override;
    double lineHeightTwips(const QFont& font) override;
    void text(QPointF at, const QString& text, const QFont& font, int colour) override;
    void rotatedText(QPointF centre, double degrees, const QString& text, const QFont& font,
                     int colour) override;
    void line(QPointF from, QPointF to, int colour, int widthPixels) override;
    void polyline(const std::vector<QPointF>& points, int colour, int widthPixels) override;
    void fillPolygon(const std::vector<QPointF>& points, QRgb rgb) override;
    void setPaperA4() override {}
    void setLandscape(bool landscape) override { m_landscape = landscape; }
    void endDocument() override;
    int pageCount() const override { return m_pages; }
    QString fileName() const override { return m_fileName; }
    bool failed() const override;
    bool finish() override;
    void abort() override;

private:
    struct Cairo;
    bool openPage();

    std::unique_ptr<Cairo> m;
    QString m_fileName;
    double m_grid;
    int m_pages = 0;
    bool m_newPageDue = false;
    bool m_landscape = false;
    bool m_finished = false;
    bool m_failed = false;
};

} // namespace tervan
