#include "common/boundedread.h"
#include "support/printto.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace tervan {
namespace {

// A pipe-like device: no size, and never more than a few bytes per read.
class Trickle final : public QIODevice
{
public:
    explicit Trickle(QByteArray data) : m_data(std::move(data)) { open(ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* to, qint64 most) override
    {
        const qint64 n = std::min<qint64>({most, 7, m_data.size() - m_at});
        std::copy_n(m_data.constData() + m_at, n, to);
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_at = 0;
};

struct LimitCase
{
    qsizetype size;
    qint64 skipped; // read from here on
    qint64 limit;
    bool taken;
};

class ReadAtMost : public testing::TestWithParam<LimitCase>
{
protected:
    QByteArray data() const
    {
        QByteArray d(GetParam().size, '\0');
        for (qsizetype i = 0; i < d.size(); ++i)
            d[i] = char('a' + i % 26);
        return d;
    }
    void check(QIODevice& in) const
    {
        const auto& c = GetParam();
        ASSERT_TRUE(in.read(c.skipped).size() == c.skipped);
        const std::optional<QByteArray> read = readAtMost(in, c.limit);
        ASSERT_EQ(read.has_value(), c.taken);
        if (read) {
            EXPECT_EQ(*read, data().mid(c.skipped));
        }
    }
};

// From a file and from a pipe alike.
TEST_P(ReadAtMost, TakesTheRestUpToTheLimit)
{
    QByteArray bytes = data();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    check(buffer);
    Trickle pipe(data());
    check(pipe);
}

INSTANTIATE_TEST_SUITE_P(Common, ReadAtMost,
                         testing::Values(LimitCase{0, 0, 10, true}, LimitCase{10, 0, 10, true},
                                         LimitCase{11, 0, 10, false}, LimitCase{15, 5, 10, true},
                                         LimitCase{16, 5, 10, false},
                                         LimitCase{3'000'000, 0, 3'000'000, true},
                                         LimitCase{3'000'001, 0, 3'000'000, false},
                                         // A generous limit costs nothing on a small input.
                                         LimitCase{100, 0, qint64(1) << 40, true}));

} // namespace
} // namespace tervan
