#pragma once

#include <QString>
#include <QTextBoundaryFinder>

namespace tervan {

// A text of exactly Length characters, as the report headings and the header file hold it:
// storing keeps the first Length characters and pads with blanks on the right; reading gives
// every character, the padding included.
template <int Length> class FixedText
{
public:
    static constexpr int length = Length;

    FixedText() : m_text(Length, QLatin1Char(' ')) {}
    FixedText(const QString& text) { set(text); }
    FixedText& operator=(const QString& text)
    {
        set(text);
        return *this;
    }

    void set(const QString& text)
    {
        m_text = text.left(Length);
        if (m_text.size() < Length)
            m_text.append(QString(Length - m_text.size(), QLatin1Char(' ')));
    }
    const QString& text() const { return m_text; }
    operator const QString&() const { return m_text; }
    bool operator==(const FixedText&) const = default;

private:
    QString m_text;
};

using FixedText40 = FixedText<40>;

// The longest start of text of at most maxLength characters that ends between two character
// clusters, so a Thai vowel or tone mark is never cut from its consonant.
inline QString clusterPrefix(const QString& text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    clusters.setPosition(maxLength);
    if (!clusters.isAtBoundary())
        clusters.toPreviousBoundary();
    return text.left(std::max<qsizetype>(clusters.position(), 0));
}

} // namespace tervan
