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

} // namespace tervan::msg
