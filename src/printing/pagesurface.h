#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRgb>
#include <QSizeF>
#include <QString>
#include <vector>

namespace tervan {

// Where printed output really goes: the default printer, a PDF file or a test recorder. All
// positions are in twips from the top-left corner of the printable area.
class PageBackend
{
public:
    virtual ~PageBackend() = default;
    virtual QSizeF printableTwips() const = 0;
    virtual double textWidthTwips(const QFont& font, const QString& text) = 0;
    virtual double lineHeightTwips(const QFont& font) = 0;
    // Text with its top-left corner at `at`.
    virtual void text(QPointF at, const QString& text, const QFont& font, int colour) = 0;
    virtual void line(QPointF from, QPointF to, int colour, int widthPixels) = 0;
    // Text centred at `centre`, turned `degrees` counter-clockwise as seen. Devices that cannot
    // turn text print it level, centred there.
    virtual void rotatedText(QPointF centre, double degrees, const QString& text, const QFont& font,
                             int colour)
    {
        (void)degrees;
        this->text(centre - QPointF(textWidthTwips(font, text), lineHeightTwips(font)) / 2, text,
                   font, colour);
    }
    // Joined lines through `points`, drawn as one path where the device allows.
    virtual void polyline(const std::vector<QPointF>& points, int colour, int widthPixels)
    {
        for (std::size_t i = 1; i < points.size(); ++i)
            line(points[i - 1], points[i], colour, widthPixels);
    }
    // A polygon filled in an RGB colour without an outline; devices without fills leave it out.
    virtual void fillPolygon(const std::vector<QPointF>& points, QRgb rgb)
    {
        (void)points, (void)rgb;
    }
    virtual void setPaperA4() = 0;
    // Pages from the next one on lie across the paper, or along it again. A device that cannot
    // turn its paper keeps it, and its printable size says which way the page lies.
    virtual void setLandscape(bool landscape) { (void)landscape; }
    // A report starts: its pages form one print job, named after its title.
    virtual void beginReport(const QString& /*title*/) {}
    // The page is finished; the next output starts a new page.
    virtual void endDocument() = 0;
    // Pages that received output so far.
    virtual int pageCount() const { return 0; }
    // Where the pages go, as the user knows it: a printer's name or a file's path; empty
    // when it is neither.
    virtual QString printerName() const { return {}; }
    virtual QString fileName() const { return {}; }
    // True once the device refused or broke off; later output is dropped.
    virtual bool failed() const = 0;
    // True once nobody waits for these pages any more: a report may stop its long work early.
    virtual bool cancelled() const { return false; }
    // Ends whatever is still open; false when the output failed at any point.
    virtual bool finish() { return !failed(); }
    // Gives the output up: a file is left as it was before, a print job is withdrawn.
    virtual void abort() {}
};

// A tenth of a point: no printer or PDF viewer at 600 dpi shows a difference this small.
constexpr double PolylineToleranceTwips = 2;
// Drops the points of a polyline that lie within `tolerance` of the line kept through them.
void simplifyPolyline(std::vector<QPointF>& points, double tolerance);

// The printer object the reports draw on: a unit (twips, centimetres or a user scale given by
// the world coordinates of the printable area's corners), a current position in that unit,
// a font and a colour, and a line flow in which ending a line returns x to the left edge and
// moves y down by one line of the font in effect. Colours are palette indexes.
//
// Texts printed one after the other on a line form a run. A run that would cross the right
// edge of the printable area is drawn smaller, from the same start, until it fits; positions
// and line advances stay those of the full-size text. A run's inked part is likewise drawn
// smaller where it would reach the next text placed further along the same line.
class PageSurface
{
public:
    static constexpr int ForeColour = -1;

    explicit PageSurface(PageBackend& backend)
        : m_backend(backend), m_printable(backend.printableTwips())
    {
    }
    ~PageSurface() { flush(); }
    PageSurface(const PageSurface&) = delete;
    PageSurface& operator=(const PageSurface&) = delete;

    void setUnitTwips();
    void setUnitCentimetres();
    void setUserScale(double left, double top, double right, double bottom);

    void setFont(const QString& face, double points, bool bold);
    void setFontSize(double points);
    void setBold(bool bold);
    void setForeColour(int colour) { m_colour = colour; }
    void setLineWidth(int pixels) { m_lineWidth = pixels; }
    // How far polylines may stray to save points; 0 keeps every point.
    void setPolylineTolerance(double twips) { m_tolerance = twips; }

    double x() const;
    double y() const;
    void setX(double x);
    void setY(double y);
    double pageWidth() const;
    double pageHeight() const;
    double textWidth(const QString& text) const;
    // Height of one line of the current font in the current unit.
    double textHeight() const;

    void print(const QString& text);
    void printLine(const QString& text = {});
    void printBlanks(int count) { print(QString(std::max(count, 0), QLatin1Char(' '))); }
    void line(double x1, double y1, double x2, double y2, int colour = ForeColour);
    // Twips per unit along each axis, as positive magnitudes.
    QPointF twipsPerUnit() const;
    // Text in the current font and colour, centred at (x, y) and turned `degrees`
    // counter-clockwise as seen on the paper.
    void rotatedText(double x, double y, double degrees, const QString& text);
    // Points in the current unit, converted in place.
    void polyline(std::vector<QPointF>& points, int colour = ForeColour);

    // Points in the current unit, converted in place; filled without an outline.
    void fillPolygon(std::vector<QPointF>& points, QRgb rgb);

    void setPaperA4()
    {
        m_backend.setPaperA4();
        m_printable = m_backend.printableTwips();
    }
    void setLandscape(bool landscape)
    {
        m_backend.setLandscape(landscape);
        m_printable = m_backend.printableTwips();
    }
    void beginReport(const QString& title);
    void endDocument();
    bool failed() const { return m_backend.failed(); }
    // The device behind the page, for trying a layout out on its measures.
    PageBackend& backend() const { return m_backend; }
    bool cancelled() const { return m_backend.cancelled(); }

private:
    struct RunItem
    {
        QPointF at; // twips
        QString text;
        QFont font;
        int colour;
    };
    // Draws the pending run; `nextText` is where a following text starts on the same line, if
    // one does (negative otherwise).
    void flush(double nextText = -1);

    double toTwipsX(double v) const;
    double toTwipsY(double v) const;
    double fromTwipsX(double t) const;
    double fromTwipsY(double t) const;
    double scaleX() const;

    PageBackend& m_backend;
    enum class Unit { Twips, Centimetres, User } m_unit = Unit::Twips;
    double m_left = 0, m_top = 0, m_right = 1, m_bottom = 1;
    // The printable area, asked of the device once per page size rather than per coordinate.
    QSizeF m_printable;
    double m_x = 0, m_y = 0; // twips
    QFont m_font;
    int m_colour = ForeColour;
    int m_lineWidth = 1;
    double m_tolerance = PolylineToleranceTwips;
    QList<RunItem> m_run;
    double m_runEnd = 0; // twips, where the run's next text would start
};

} // namespace tervan
