#pragma once

#include "printing/pagesurface.h"

#include <QList>

namespace tervan {

// A page of A4's printable size that keeps every item printed and every fill, in twips, and counts
// documents, for checking layouts without a printer. A character is half the font size wide
// and a line 1.2 times the font size high.
class RecordingPage final : public PageBackend
{
public:
    struct Item
    {
        int document;
        QPointF at;   // twips
        QPointF to;   // end of a line; equal to `at` for text
        QString text; // empty for a line
        double points = 0;
        bool bold = false;
        int colour = PageSurface::ForeColour;
        int width = 1;
        double angle = 0; // turned text, centred at `at`
        bool isLine() const { return text.isNull(); }
    };

    QSizeF printableTwips() const override
    {
        return m_landscape ? QSizeF(15800, 11000) : QSizeF(11000, 15800);
    }
    double textWidthTwips(const QFont& font, const QString& text) override
    {
        return font.pointSizeF() * 10 * text.size();
    }
    double lineHeightTwips(const QFont& font) override { return font.pointSizeF() * 24; }
    void text(QPointF at, const QString& text, const QFont& font, int colour) override
    {
        m_items.append({m_documents, at, at, text.isNull() ? QStringLiteral("") : text,
                        font.pointSizeF(), font.bold(), colour, 1});
    }
    void line(QPointF from, QPointF to, int colour, int widthPixels) override
    {
        m_items.append({m_documents, from, to, QString(), 0, false, colour, widthPixels});
    }
    void rotatedText(QPointF centre, double degrees, const QString& text, const QFont& font,
                     int colour) override
    {
        Item item{m_documents, centre, centre, text, font.pointSizeF(), font.bold(), colour, 1};
        item.angle = degrees;
        m_items.append(item);
    }
    void fillPolygon(const std::vector<QPointF>& points, QRgb rgb) override
    {
        m_fills.append({m_documents, points, rgb});
    }
    void setPaperA4() override { ++m_a4Requests; }
    void setLandscape(bool landscape) override
    {
        m_landscape = landscape;
        m_landscapes += landscape;
    }
    void endDocument() override { ++m_documents; }
    bool failed() const override { return false; }

    struct Fill
    {
        int document;
        std::vector<QPointF> points; // twips
        QRgb rgb;
    };

    const QList<Item>& items() const { return m_items; }
    const QList<Fill>& fills() const { return m_fills; }
    // The non-empty texts of one document, in order.
    QStringList texts(int document) const
    {
        QStringList out;
        for (const Item& item : m_items)
            if (item.document == document && !item.isLine() && !item.text.isEmpty())
                out << item.text;
        return out;
    }
    int documents() const { return m_documents; }
    int a4Requests() const { return m_a4Requests; }
    // Requests to lay the paper across.
    int landscapes() const { return m_landscapes; }

private:
    QList<Item> m_items;
    QList<Fill> m_fills;
    int m_documents = 0;
    int m_a4Requests = 0;
    int m_landscapes = 0;
    bool m_landscape = false;
};

} // namespace tervan
