#include "project/projectpair.h"
#include "support/faultprojects.h"
#include "support/printto.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervan;

// Two batch imports into one target at once: the pair is always one whole project, and a run
// that finds the pair locked says so and fails instead of mixing its files with the other's.
TEST(BatchSaveRace, FortyRacesLeaveAWholePairAndTheLoserSaysWhoHoldsTheLock)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target"));
    QStringList sources;
    for (const Project& p : {faultProject(181, 181), faultProject(151, 217)}) {
        const QString base = dir.filePath(p.ProjectName);
        ASSERT_FALSE(saveProjectFiles(p, projectFileNames(base)));
        QFile csv(base + QStringLiteral(".csv"));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        for (std::size_t n = 1; n < p.Nodes.size(); ++n)
            csv.write(QByteArray::number(p.Nodes[n].Z + 1) + '\n');
        sources << base;
    }
    int losers = 0;
    for (int race = 0; race < 40; ++race) {
        QProcess runs[2];
        for (int i = 0; i < 2; ++i)
            runs[i].start(QStringLiteral(TERVAN_CLI_EXE),
                          {"import", sources[i], sources[i] + ".csv", "-o", target});
        for (QProcess& run : runs) {
            ASSERT_TRUE(run.waitForFinished());
            const QString err = QString::fromUtf8(run.readAllStandardError());
            if (run.exitCode() != 0) {
                ++losers;
                EXPECT_EQ(run.exitCode(), 1);
                EXPECT_TRUE(err.contains(QStringLiteral("กำลังถูกใช้งานโดย"))) << err.toStdString();
            }
        }
        const auto names = projectFileNames(target);
        ASSERT_EQ(inspectPair(names), PairLeftover::None);
        auto loaded = loadProjectFiles(names);
        ASSERT_TRUE(std::holds_alternative<ProjectFileData>(loaded)) << race;
        const auto& data = std::get<ProjectFileData>(loaded);
        EXPECT_EQ(data.MisplacedNode, 0) << race;
        EXPECT_EQ(data.Nodes.back().Z,
                  faultProject(data.GridRows, data.GridCols).Nodes.back().Z + 1);
    }
    RecordProperty("losers", losers);
    EXPECT_GT(losers, 0); // the runs did overlap
}
