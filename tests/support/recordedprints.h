#pragma once

#include "printing/recordingpage.h"

#include <memory>

// Hands every print command a page that records into one RecordingPage the test keeps.
class ForwardingPage final : public tervan::PageBackend
{
public:
    explicit ForwardingPage(tervan::RecordingPage& target) : m_target(target) {}
    QSizeF printableTwips() const override { return m_target.printableTwips(); }
    double textWidthTwips(const QFont& f, const QString& t) override
    {
        return m_target.textWidthTwips(f, t);
    }
    double lineHeightTwips(const QFont& f) override { return m_target.lineHeightTwips(f); }
    void text(QPointF at, const QString& t, const QFont& f, int c) override
    {
        m_target.text(at, t, f, c);
    }
    void line(QPointF a, QPointF b, int c, int w) override { m_target.line(a, b, c, w); }
    void rotatedText(QPointF at, double degrees, const QString& t, const QFont& f, int c) override
    {
        m_target.rotatedText(at, degrees, t, f, c);
    }
    void fillPolygon(const std::vector<QPointF>& points, QRgb rgb) override
    {
        m_target.fillPolygon(points, rgb);
    }
    void setPaperA4() override { m_target.setPaperA4(); }
    void endDocument() override { m_target.endDocument(); }
    bool failed() const override { return false; }

private:
    tervan::RecordingPage& m_target;
};
