#include "app/commandline.h"

#include "common/version.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace tervan {

AppCommandLine parseAppCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("TERVAN: โปรแกรมคำนวณงานดินจากการสำรวจแบบตาราง\n"
                       "แสดงแผนผังตาราง เส้นชั้นความสูง ผิวภูมิประเทศ และปริมาตรดินตัดดินถม"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("แสดงวิธีใช้นี้แล้วจบโปรแกรม"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("แสดงรุ่นของโปรแกรมแล้วจบโปรแกรม"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("PROJECT"),
        QStringLiteral("แฟ้มข้อมูล (.gnd) ที่จะเปิดเมื่อเริ่มโปรแกรม เหมือนคำสั่งเปิดแฟ้ม"),
        QStringLiteral("[PROJECT]"));

    AppCommandLine result;
    if (!parser.parse(arguments)) {
        result.action = AppCommandLine::Action::Error;
        result.text = parser.errorText();
    } else if (parser.isSet(help)) {
        result.action = AppCommandLine::Action::Help;
        result.text = parser.helpText();
    } else if (parser.isSet(version)) {
        result.action = AppCommandLine::Action::Version;
        result.text = QStringLiteral("tervan %1\n").arg(QLatin1String(TERVAN_VERSION));
    } else if (parser.positionalArguments().size() > 1) {
        result.action = AppCommandLine::Action::Error;
        result.text = QStringLiteral("เปิดได้ครั้งละหนึ่งแฟ้ม: %1")
                          .arg(parser.positionalArguments().mid(1).join(QLatin1Char(' ')));
    } else if (!parser.positionalArguments().isEmpty()) {
        result.project = QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath();
    }
    return result;
}

} // namespace tervan
