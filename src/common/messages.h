#pragma once

#include <QString>

// Thai texts shown by more than one command. Every message box of the program carries the
// same caption and a critical-stop icon.
namespace tervan::msg {

inline const QString Caption = QStringLiteral("คำชี้แจง");
inline const QString EnterOrOpenFirst =
    QStringLiteral("กรุณาป้อนข้อมูล หรือ เปิดแฟ้มข้อมูลเก่า ให้เรียบร้อยก่อนครับ");
inline const QString DataIncomplete = QStringLiteral("ข้อมูลไม่สมบูรณ์ กรุณาตรวจสอบข้อมูลอีกครั้ง");
inline const QString EnterRowsColsFirst = QStringLiteral("กรุณากลับไปป้อนจำนวนแถวกับจำนวนคอลัมน์ก่อนครับ");
inline const QString CannotPrint = QStringLiteral("ไม่สามารถพิมพ์ได้ กรุณาตรวจสอบเครื่องพิมพ์");
inline const QString InputError = QStringLiteral("การป้อนข้อมูลผิดพลาด กรุณาตรวจสอบอีกครั้ง");
inline const QString ContourIntervalTooSmall = QStringLiteral("ช่วงชั้นความสูงเล็กเกินไปสำหรับค่าระดับนี้");

inline QString tooManyContourLevels(qint64 count)
{
    return QStringLiteral("จำนวนชั้นความสูง %1 ชั้น มากเกินไป กรุณาเพิ่มช่วงชั้นความสูง").arg(count);
}

// File problems name the file as the user knows it.
inline QString cannotOpenFile(const QString& name)
{
    return QStringLiteral("ไม่สามารถเปิดแฟ้ม %1 ได้").arg(name);
}
// The project still opens, in grid coordinates.
inline QString georeferenceDamaged(const QString& name, const QString& reason)
{
    return QStringLiteral("แฟ้มพิกัดอ้างอิง %1 เสียหาย (%2) จึงเปิดโครงการโดยไม่มีพิกัดอ้างอิง")
        .arg(name, reason);
}
inline QString fileMalformed(const QString& name)
{
    return QStringLiteral("แฟ้ม %1 ไม่สมบูรณ์ หรือรูปแบบไม่ถูกต้อง").arg(name);
}
inline QString cannotSaveFile(const QString& name)
{
    return QStringLiteral("ไม่สามารถบันทึกแฟ้ม %1 ได้").arg(name);
}
inline QString replaceFile(const QString& name)
{
    return QStringLiteral("แฟ้ม %1 มีอยู่แล้ว ต้องการบันทึกทับหรือไม่").arg(name);
}

// Saving and opening a project pair safely.
inline QString projectLocked(const QString& gnd, const QString& holder)
{
    return QStringLiteral("โครงการ %1 กำลังถูกใช้งานโดย %2").arg(gnd, holder);
}
inline QString saveWhileLocked(const QString& locked)
{
    return locked + QStringLiteral(" ต้องการบันทึกทับหรือไม่");
}
inline QString folderTakesNoNewFiles(const QString& folder, const QString& elsewhere)
{
    return QStringLiteral("โฟลเดอร์ %1 ไม่อนุญาตให้สร้างแฟ้มใหม่ จึงบันทึกทับอย่างปลอดภัยไม่ได้ "
                          "แฟ้มเดิมยังอยู่ครบ กรุณาบันทึกไปยังโฟลเดอร์อื่น เช่น %2")
        .arg(folder, elsewhere);
}
inline QString saveWasInterrupted(const QString& gnd)
{
    return QStringLiteral("การบันทึกโครงการ %1 ครั้งก่อนไม่เสร็จสมบูรณ์").arg(gnd);
}
inline QString restorePrevious(const QString& interrupted)
{
    return interrupted + QStringLiteral(" ต้องการใช้ฉบับก่อนการบันทึกนั้นหรือไม่");
}
inline QString restoreInWindow(const QString& interrupted)
{
    return interrupted + QStringLiteral(" เปิดโครงการนี้ในโปรแกรมเพื่อใช้ฉบับก่อนการบันทึกนั้น");
}
inline QString nodeOffGrid(const QString& nod, int node, double x, double y, double gridX,
                           double gridY)
{
    return QStringLiteral("แฟ้ม %1 ไม่ตรงกับแฟ้ม .gnd: จุดที่ %2 อยู่ที่ X = %3, Y = %4 "
                          "แทนที่จะเป็น X = %5, Y = %6")
        .arg(nod)
        .arg(node)
        .arg(x)
        .arg(y)
        .arg(gridX)
        .arg(gridY);
}
inline QString pairChangedOnDisk(const QString& gnd)
{
    return QStringLiteral("แฟ้มโครงการ %1 ถูกเปลี่ยนแปลงหลังจากเปิด ต้องการบันทึกทับหรือไม่").arg(gnd);
}

} // namespace tervan::msg
