#pragma once

#include "printing/pagesurface.h"

#include <QString>
#include <memory>

namespace tervan {

// Pages of an A4 PDF file with 6 mm margins, drawn with Cairo and shaped with Pango, so that
// the file's text reads back as the Thai that was printed (Qt's PDF writer stores Thai marks
// under private-use code points). Same face, sizes, positions, line widths and colours as the
// painter back end; all documents are pages of the one file.
class CairoPdfBackend final : public PageBackend
{
public:
    explicit CairoPdfBackend(const QString& fileName);
    ~CairoPdfBackend() override;

    QSizeF printableTwips() const override;
    double textWidthTwips(const QFont& font, const QString& text) override;
    double lineHeightTwips(const QFont& font) override;
    void text(QPointF at, const QString& text, const QFont& font, int colour) override;
    void line(QPointF from, QPointF to, int colour, int widthPixels) override;
    void polyline(const std::vector<QPointF>& points, int colour, int widthPixels) override;
    void fillPolygon(const std::vector<QPointF>& points, QRgb rgb) override;
    void setPaperA4() override {}
    void endDocument() override;
    int pageCount() const override { return m_pages; }
    QString fileName() const override { return m_fileName; }
    bool failed() const override;
    bool finish() override;

private:
    struct Cairo;
    bool openPage();

    std::unique_ptr<Cairo> m;
    QString m_fileName;
    int m_pages = 0;
    bool m_newPageDue = false;
    bool m_finished = false;
    bool m_failed = false;
};

} // namespace tervan
