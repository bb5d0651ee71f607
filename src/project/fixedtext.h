#pragma once

#include <QString>

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

} // namespace tervan
