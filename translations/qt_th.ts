<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="th_TH" sourcelanguage="en">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>%1 File</source>
        <translation>แฟ้ม %1</translation>
    </message>
    <message>
        <source>Alias</source>
        <translation>ชื่อแฝง</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>ไดรฟ์</translation>
    </message>
    <message>
        <source>File</source>
        <translation>แฟ้ม</translation>
    </message>
    <message>
        <source>File Folder</source>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>ทางลัด</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>ไม่ทราบ</translation>
    </message>
</context>
<context>
    <name>QAbstractSpinBox</name>
    <message>
        <source>&amp;Select All</source>
        <translation>เ&amp;ลือกทั้งหมด</translation>
    </message>
    <message>
        <source>&amp;Step up</source>
        <translation>เ&amp;พิ่มขึ้น</translation>
    </message>
    <message>
        <source>Step &amp;down</source>
        <translation>ล&amp;ดลง</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Arguments:</source>
        <translation>อาร์กิวเมนต์:</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>แสดงวิธีใช้ รวมทั้งตัวเลือกของ Qt</translation>
    </message>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>แสดงวิธีใช้ตัวเลือกบรรทัดคำสั่ง</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>แสดงรุ่นของโปรแกรม</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>ขาดค่าหลัง &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>ตัวเลือก:</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>มีค่าเกินมาหลัง &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>ไม่รู้จักตัวเลือก &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>ไม่รู้จักตัวเลือก: %1</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>วิธีใช้: %1</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[ตัวเลือก]</translation>
    </message>
</context>
<context>
    <name>QCupsJobWidget</name>
    <message>
        <source>Banner Pages</source>
        <translation>หน้าปก</translation>
    </message>
    <message>
        <source>Billing information:</source>
        <translation>ข้อมูลการเรียกเก็บเงิน:</translation>
    </message>
    <message>
        <source>Classified</source>
        <translation>ปกปิด</translation>
    </message>
    <message>
        <source>Confidential</source>
        <translation>ลับเฉพาะ</translation>
    </message>
    <message>
        <source>Day (06:00 to 17:59)</source>
        <translation>กลางวัน (06:00 ถึง 17:59)</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>ท้าย:</translation>
    </message>
    <message>
        <source>Hold Indefinitely</source>
        <translation>พักไว้ไม่มีกำหนด</translation>
    </message>
    <message>
        <source>Job</source>
        <translation>งานพิมพ์</translation>
    </message>
    <message>
        <source>Job Control</source>
        <translation>ควบคุมงานพิมพ์</translation>
    </message>
    <message>
        <source>Job priority:</source>
        <translation>ลำดับความสำคัญ:</translation>
    </message>
    <message>
        <source>Night (18:00 to 05:59)</source>
        <translation>กลางคืน (18:00 ถึง 05:59)</translation>
    </message>
    <message>
        <source>None</source>
        <translation>ไม่มี</translation>
    </message>
    <message>
        <source>Print Immediately</source>
        <translation>พิมพ์ทันที</translation>
    </message>
    <message>
        <source>Scheduled printing:</source>
        <translation>กำหนดเวลาพิมพ์:</translation>
    </message>
    <message>
        <source>Second Shift (16:00 to 23:59)</source>
        <translation>กะที่สอง (16:00 ถึง 23:59)</translation>
    </message>
    <message>
        <source>Secret</source>
        <translation>ลับ</translation>
    </message>
    <message>
        <source>Specific Time</source>
        <translation>ตามเวลาที่กำหนด</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>มาตรฐาน</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>ต้น:</translation>
    </message>
    <message>
        <source>Third Shift (00:00 to 07:59)</source>
        <translation>กะที่สาม (00:00 ถึง 07:59)</translation>
    </message>
    <message>
        <source>Top Secret</source>
        <translation>ลับที่สุด</translation>
    </message>
    <message>
        <source>Unclassified</source>
        <translation>ไม่ปกปิด</translation>
    </message>
    <message>
        <source>Weekend (Saturday to Sunday)</source>
        <translation>สุดสัปดาห์ (เสาร์ถึงอาทิตย์)</translation>
    </message>
</context>
<context>
    <name>QCupsPrinterSupport</name>
    <message>
        <source>Authentication Needed</source>
        <translation>ต้องยืนยันตัวตน</translation>
    </message>
    <message>
        <source>Authentication needed to use %1 on %2.</source>
        <translation>ต้องยืนยันตัวตนก่อนใช้ %1 บน %2</translation>
    </message>
    <message>
        <source>Authentication needed to use %1.</source>
        <translation>ต้องยืนยันตัวตนก่อนใช้ %1</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>รหัสผ่าน:</translation>
    </message>
    <message>
        <source>Username:</source>
        <translation>ชื่อผู้ใช้:</translation>
    </message>
</context>
<context>
    <name>QDialogButtonBox</name>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
ไม่พบโฟลเดอร์นี้
กรุณาตรวจสอบชื่อโฟลเดอร์</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
ไม่พบแฟ้มนี้
กรุณาตรวจสอบชื่อแฟ้ม</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 มีอยู่แล้ว
ต้องการเขียนทับหรือไม่</translation>
    </message>
    <message>
        <source>&amp;Choose</source>
        <translation>เ&amp;ลือก</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;ลบ</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>โฟลเดอร์ใ&amp;หม่</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>เ&amp;ปิด</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>เปลี่ยน&amp;ชื่อ</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>บั&amp;นทึก</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is write protected.
Do you want to delete it anyway?</source>
        <translation>&apos;%1&apos; ถูกป้องกันการเขียน
ต้องการลบหรือไม่</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>ทุกแฟ้ม (*)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>ทุกแฟ้ม (*)</translation>
    </message>
    <message>
        <source>Alt+Left</source>
        <translation>Alt+Left</translation>
    </message>
    <message>
        <source>Alt+Right</source>
        <translation>Alt+Right</translation>
    </message>
    <message>
        <source>Alt+Up</source>
        <translation>Alt+Up</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &apos;%1&apos;?</source>
        <translation>ต้องการลบ &apos;%1&apos; จริงหรือไม่</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>ย้อนกลับ</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>เปลี่ยนเป็นมุมมองรายละเอียด</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>เปลี่ยนเป็นมุมมองรายการ</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>ลบโฟลเดอร์ไม่ได้</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>สร้างโฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>สร้างโฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>มุมมองรายละเอียด</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>โฟลเดอร์:</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>ชื่อแ&amp;ฟ้ม:</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>แฟ้ม</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>ชนิดแฟ้ม:</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>เลือกโฟลเดอร์</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>ไปข้างหน้า</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>ย้อนกลับ</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>ไปข้างหน้า</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>ไปยังโฟลเดอร์แม่</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>มุมมองรายการ</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>รายการที่ตั้งและที่คั่นหน้า</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>ดูใน:</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>โฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>เปิดแฟ้ม</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>โฟลเดอร์แม่</translation>
    </message>
    <message>
        <source>Recent Places</source>
        <translation>ที่ที่ใช้ล่าสุด</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>เอาออก</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>บันทึกเป็น</translation>
    </message>
    <message>
        <source>Show </source>
        <translation>แสดง </translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>แสดงแฟ้มที่ซ่อ&amp;นอยู่</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>แถบข้าง</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Computer</source>
        <translation>คอมพิวเตอร์</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>วันที่แก้ไข</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>ชนิด</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>คอมพิวเตอร์ของฉัน</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>ชื่อ</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>ขนาด</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>ชนิด</translation>
    </message>
</context>
<context>
    <name>QGnomeTheme</name>
    <message>
        <source>&amp;Cancel</source>
        <translation>ย&amp;กเลิก</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;ปิด</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>ต&amp;กลง</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>บั&amp;นทึก</translation>
    </message>
    <message>
        <source>Close without Saving</source>
        <translation>ปิดโดยไม่บันทึก</translation>
    </message>
</context>
<context>
    <name>QInputDialog</name>
    <message>
        <source>Enter a value:</source>
        <translation>ป้อนค่า:</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;คัดลอก</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;วาง</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>ทำ&amp;ซ้ำ</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>เ&amp;ลิกทำ</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>ตั&amp;ด</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>เลือกทั้งหมด</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Hide Details...</source>
        <translation>ซ่อนรายละเอียด...</translation>
    </message>
    <message>
        <source>Show Details...</source>
        <translation>แสดงรายละเอียด...</translation>
    </message>
</context>
<context>
    <name>QPageSetupWidget</name>
    <message>
        <source>CC</source>
        <translation>CC</translation>
    </message>
    <message>
        <source>Cicero (CC)</source>
        <translation>ซิเซโร (CC)</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>กำหนดเอง</translation>
    </message>
    <message>
        <source>DD</source>
        <translation>DD</translation>
    </message>
    <message>
        <source>Didot (DD)</source>
        <translation>ดิโดต์ (DD)</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>แบบฟอร์ม</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>สูง:</translation>
    </message>
    <message>
        <source>Inches (in)</source>
        <translation>นิ้ว (in)</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>แนวนอน</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>ขอบกระดาษ</translation>
    </message>
    <message>
        <source>Millimeters (mm)</source>
        <translation>มิลลิเมตร (มม.)</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>การวางแนว</translation>
    </message>
    <message>
        <source>Page Layout</source>
        <translation>การจัดหน้า</translation>
    </message>
    <message>
        <source>Page order:</source>
        <translation>ลำดับหน้า:</translation>
    </message>
    <message>
        <source>Page size:</source>
        <translation>ขนาดกระดาษ:</translation>
    </message>
    <message>
        <source>Pages per sheet:</source>
        <translation>หน้าต่อแผ่น:</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>กระดาษ</translation>
    </message>
    <message>
        <source>Paper source:</source>
        <translation>ถาดกระดาษ:</translation>
    </message>
    <message>
        <source>Pica (P̸)</source>
        <translation>ไพกา (P̸)</translation>
    </message>
    <message>
        <source>Points (pt)</source>
        <translation>พอยต์ (pt)</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>แนวตั้ง</translation>
    </message>
    <message>
        <source>P̸</source>
        <translation>P̸</translation>
    </message>
    <message>
        <source>Reverse landscape</source>
        <translation>แนวนอนกลับหัว</translation>
    </message>
    <message>
        <source>Reverse portrait</source>
        <translation>แนวตั้งกลับหัว</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>กว้าง:</translation>
    </message>
    <message>
        <source>bottom margin</source>
        <translation>ขอบล่าง</translation>
    </message>
    <message>
        <source>in</source>
        <translation>นิ้ว</translation>
    </message>
    <message>
        <source>left margin</source>
        <translation>ขอบซ้าย</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>มม.</translation>
    </message>
    <message>
        <source>pt</source>
        <translation>พอยต์</translation>
    </message>
    <message>
        <source>right margin</source>
        <translation>ขอบขวา</translation>
    </message>
    <message>
        <source>top margin</source>
        <translation>ขอบบน</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>&amp;No</source>
        <translation>ไ&amp;ม่</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>ใ&amp;ช่</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>หยุด</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>ใช้</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ยกเลิก</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>ปิด</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>ไม่บันทึก</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>วิธีใช้</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>ข้าม</translation>
    </message>
    <message>
        <source>N&amp;o to All</source>
        <translation>ไม่ทั้ง&amp;หมด</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>เปิด</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>ตั้งใหม่</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>คืนค่าเริ่มต้น</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>ลองอีกครั้ง</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>บันทึก</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>บันทึกทั้งหมด</translation>
    </message>
    <message>
        <source>Yes to &amp;All</source>
        <translation>ใช่ทั้ง&amp;หมด</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>%1 already exists.
Do you want to overwrite it?</source>
        <translation>%1 มีอยู่แล้ว
ต้องการเขียนทับหรือไม่</translation>
    </message>
    <message>
        <source>%1 does not follow the correct syntax. Please use &apos;,&apos; to separate ranges and pages, &apos;-&apos; to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>%1 ไม่ถูกรูปแบบ กรุณาใช้ &apos;,&apos; คั่นหน้าและช่วงหน้า ใช้ &apos;-&apos; กำหนดช่วงหน้า และช่วงหน้าต้องไม่ซ้อนกัน</translation>
    </message>
    <message>
        <source>%1 is a directory.
Please choose a different file name.</source>
        <translation>%1 เป็นโฟลเดอร์
กรุณาเลือกชื่อแฟ้มอื่น</translation>
    </message>
    <message>
        <source>&amp;Options &lt;&lt;</source>
        <translation>&amp;ตัวเลือก &lt;&lt;</translation>
    </message>
    <message>
        <source>&amp;Options &gt;&gt;</source>
        <translation>&amp;ตัวเลือก &gt;&gt;</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;พิมพ์</translation>
    </message>
    <message>
        <source>1 (1x1)</source>
        <translation>1 (1x1)</translation>
    </message>
    <message>
        <source>16 (4x4)</source>
        <translation>16 (4x4)</translation>
    </message>
    <message>
        <source>2 (2x1)</source>
        <translation>2 (2x1)</translation>
    </message>
    <message>
        <source>4 (2x2)</source>
        <translation>4 (2x2)</translation>
    </message>
    <message>
        <source>6 (2x3)</source>
        <translation>6 (2x3)</translation>
    </message>
    <message>
        <source>9 (3x3)</source>
        <translation>9 (3x3)</translation>
    </message>
    <message>
        <source>All Pages</source>
        <translation>ทุกหน้า</translation>
    </message>
    <message>
        <source>Bottom to Top, Left to Right</source>
        <translation>ล่างขึ้นบน ซ้ายไปขวา</translation>
    </message>
    <message>
        <source>Bottom to Top, Right to Left</source>
        <translation>ล่างขึ้นบน ขวาไปซ้าย</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>การตั้งค่าพิมพ์สองหน้าขัดกัน</translation>
    </message>
    <message>
        <source>Even Pages</source>
        <translation>หน้าคู่</translation>
    </message>
    <message>
        <source>File %1 is not writable.
Please choose a different file name.</source>
        <translation>เขียนแฟ้ม %1 ไม่ได้
กรุณาเลือกชื่อแฟ้มอื่น</translation>
    </message>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>กำหนดหน้าไม่ถูกต้อง</translation>
    </message>
    <message>
        <source>Left to Right, Bottom to Top</source>
        <translation>ซ้ายไปขวา ล่างขึ้นบน</translation>
    </message>
    <message>
        <source>Left to Right, Top to Bottom</source>
        <translation>ซ้ายไปขวา บนลงล่าง</translation>
    </message>
    <message>
        <source>Local file</source>
        <translation>แฟ้มในเครื่อง</translation>
    </message>
    <message>
        <source>Odd Pages</source>
        <translation>หน้าคี่</translation>
    </message>
    <message>
        <source>Options &apos;Pages Per Sheet&apos; and &apos;Page Set&apos; cannot be used together.
Please turn one of those options off.</source>
        <translation>ใช้ตัวเลือก &apos;หน้าต่อแผ่น&apos; กับ &apos;ชุดหน้า&apos; พร้อมกันไม่ได้
กรุณาปิดตัวเลือกหนึ่ง</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>พิมพ์</translation>
    </message>
    <message>
        <source>Print To File ...</source>
        <translation>พิมพ์ลงแฟ้ม ...</translation>
    </message>
    <message>
        <source>Print to File (PDF)</source>
        <translation>พิมพ์ลงแฟ้ม (PDF)</translation>
    </message>
    <message>
        <source>Right to Left, Bottom to Top</source>
        <translation>ขวาไปซ้าย ล่างขึ้นบน</translation>
    </message>
    <message>
        <source>Right to Left, Top to Bottom</source>
        <translation>ขวาไปซ้าย บนลงล่าง</translation>
    </message>
    <message>
        <source>The &apos;From&apos; value cannot be greater than the &apos;To&apos; value.</source>
        <translation>ค่า &apos;จาก&apos; ต้องไม่มากกว่าค่า &apos;ถึง&apos;</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>การตั้งค่าพิมพ์สองหน้าขัดกัน ต้องการแก้ไขหรือไม่</translation>
    </message>
    <message>
        <source>Top to Bottom, Left to Right</source>
        <translation>บนลงล่าง ซ้ายไปขวา</translation>
    </message>
    <message>
        <source>Top to Bottom, Right to Left</source>
        <translation>บนลงล่าง ขวาไปซ้าย</translation>
    </message>
    <message>
        <source>Write PDF file</source>
        <translation>เขียนแฟ้ม PDF</translation>
    </message>
</context>
<context>
    <name>QPrintPreviewDialog</name>
    <message>
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message>
        <source>Export to PDF</source>
        <translation>ส่งออกเป็น PDF</translation>
    </message>
    <message>
        <source>First page</source>
        <translation>หน้าแรก</translation>
    </message>
    <message>
        <source>Fit page</source>
        <translation>พอดีหน้า</translation>
    </message>
    <message>
        <source>Fit width</source>
        <translation>พอดีความกว้าง</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>แนวนอน</translation>
    </message>
    <message>
        <source>Last page</source>
        <translation>หน้าสุดท้าย</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>หน้าถัดไป</translation>
    </message>
    <message>
        <source>Page Setup</source>
        <translation>ตั้งหน้ากระดาษ</translation>
    </message>
    <message>
        <source>Page setup</source>
        <translation>ตั้งหน้ากระดาษ</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>แนวตั้ง</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>หน้าก่อน</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>พิมพ์</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>ดูตัวอย่างก่อนพิมพ์</translation>
    </message>
    <message>
        <source>Show facing pages</source>
        <translation>แสดงหน้าคู่</translation>
    </message>
    <message>
        <source>Show overview of all pages</source>
        <translation>แสดงทุกหน้า</translation>
    </message>
    <message>
        <source>Show single page</source>
        <translation>แสดงทีละหน้า</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>ซูมเข้า</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>ซูมออก</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>ตัวเลือกขั้นสูงขัดกัน</translation>
    </message>
    <message>
        <source>Job Options</source>
        <translation>ตัวเลือกงานพิมพ์</translation>
    </message>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>การตั้งหน้ากระดาษขัดกัน</translation>
    </message>
    <message>
        <source>Printer Properties</source>
        <translation>คุณสมบัติเครื่องพิมพ์</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>การตั้งหน้ากระดาษบางอย่างขัดกัน ต้องการแก้ไขหรือไม่</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>ตัวเลือกขั้นสูงบางอย่างขัดกัน ต้องการแก้ไขหรือไม่</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Advanced</source>
        <translation>ขั้นสูง</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>แบบฟอร์ม</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>หน้ากระดาษ</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>ตัวเลือกบางอย่างขัดกัน กรุณาแก้ไข</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Collate</source>
        <translation>เรียงชุด</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>สี</translation>
    </message>
    <message>
        <source>Color Mode</source>
        <translation>โหมดสี</translation>
    </message>
    <message>
        <source>Copies</source>
        <translation>จำนวนชุด</translation>
    </message>
    <message>
        <source>Copies:</source>
        <translation>จำนวนชุด:</translation>
    </message>
    <message>
        <source>Current Page</source>
        <translation>หน้าปัจจุบัน</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>พิมพ์สองหน้า</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>แบบฟอร์ม</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>ระดับเทา</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>เข้าเล่มด้านยาว</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>ปิด</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>ตัวเลือก</translation>
    </message>
    <message>
        <source>Output Settings</source>
        <translation>ตั้งค่าผลลัพธ์</translation>
    </message>
    <message>
        <source>Page Set:</source>
        <translation>ชุดหน้า:</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>หน้า</translation>
    </message>
    <message>
        <source>Pages from</source>
        <translation>หน้า จาก</translation>
    </message>
    <message>
        <source>Print all</source>
        <translation>พิมพ์ทั้งหมด</translation>
    </message>
    <message>
        <source>Print range</source>
        <translation>ช่วงที่พิมพ์</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>ย้อนลำดับ</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>ส่วนที่เลือก</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>เข้าเล่มด้านสั้น</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>ระบุหน้าหรือช่วงหน้าคั่นด้วยจุลภาค ช่วงหน้าเขียนเป็นตัวเลขสองตัวคั่นด้วยขีด เช่น 3,5-7,9 พิมพ์หน้า 3, 5, 6, 7 และ 9</translation>
    </message>
    <message>
        <source>to</source>
        <translation>ถึง</translation>
    </message>
</context>
<context>
    <name>QPrintWidget</name>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;ชื่อ:</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>แบบฟอร์ม</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>ที่ตั้ง:</translation>
    </message>
    <message>
        <source>Output &amp;file:</source>
        <translation>แฟ้ม&amp;ผลลัพธ์:</translation>
    </message>
    <message>
        <source>P&amp;roperties</source>
        <translation>คุณ&amp;สมบัติ</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>ดูตัวอย่าง</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>เครื่องพิมพ์</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>ชนิด:</translation>
    </message>
</context>
<context>
    <name>QProgressDialog</name>
    <message>
        <source>Cancel</source>
        <translation>ยกเลิก</translation>
    </message>
</context>
<context>
    <name>QScrollBar</name>
    <message>
        <source>Bottom</source>
        <translation>ล่างสุด</translation>
    </message>
    <message>
        <source>Left edge</source>
        <translation>ขอบซ้าย</translation>
    </message>
    <message>
        <source>Page down</source>
        <translation>ลงหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Page left</source>
        <translation>ไปทางซ้ายหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Page right</source>
        <translation>ไปทางขวาหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Page up</source>
        <translation>ขึ้นหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Right edge</source>
        <translation>ขอบขวา</translation>
    </message>
    <message>
        <source>Scroll down</source>
        <translation>เลื่อนลง</translation>
    </message>
    <message>
        <source>Scroll here</source>
        <translation>เลื่อนมาที่นี่</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>เลื่อนไปทางซ้าย</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>เลื่อนไปทางขวา</translation>
    </message>
    <message>
        <source>Scroll up</source>
        <translation>เลื่อนขึ้น</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>บนสุด</translation>
    </message>
</context>
<context>
    <name>QUnicodeControlCharacterMenu</name>
    <message>
        <source>FSI First strong isolate</source>
        <translation>FSI แยกตามอักขระแรก</translation>
    </message>
    <message>
        <source>Insert Unicode control character</source>
        <translation>แทรกอักขระควบคุมยูนิโค้ด</translation>
    </message>
    <message>
        <source>LRE Start of left-to-right embedding</source>
        <translation>LRE เริ่มฝังข้อความซ้ายไปขวา</translation>
    </message>
    <message>
        <source>LRI Left-to-right isolate</source>
        <translation>LRI แยกข้อความซ้ายไปขวา</translation>
    </message>
    <message>
        <source>LRM Left-to-right mark</source>
        <translation>LRM เครื่องหมายซ้ายไปขวา</translation>
    </message>
    <message>
        <source>LRO Start of left-to-right override</source>
        <translation>LRO เริ่มบังคับซ้ายไปขวา</translation>
    </message>
    <message>
        <source>PDF Pop directional formatting</source>
        <translation>PDF จบการกำหนดทิศทาง</translation>
    </message>
    <message>
        <source>PDI Pop directional isolate</source>
        <translation>PDI จบการแยกทิศทาง</translation>
    </message>
    <message>
        <source>RLE Start of right-to-left embedding</source>
        <translation>RLE เริ่มฝังข้อความขวาไปซ้าย</translation>
    </message>
    <message>
        <source>RLI Right-to-left isolate</source>
        <translation>RLI แยกข้อความขวาไปซ้าย</translation>
    </message>
    <message>
        <source>RLM Right-to-left mark</source>
        <translation>RLM เครื่องหมายขวาไปซ้าย</translation>
    </message>
    <message>
        <source>RLO Start of right-to-left override</source>
        <translation>RLO เริ่มบังคับขวาไปซ้าย</translation>
    </message>
    <message>
        <source>ZWJ Zero width joiner</source>
        <translation>ZWJ ตัวเชื่อมไม่มีความกว้าง</translation>
    </message>
    <message>
        <source>ZWNJ Zero width non-joiner</source>
        <translation>ZWNJ ตัวไม่เชื่อมไม่มีความกว้าง</translation>
    </message>
    <message>
        <source>ZWSP Zero width space</source>
        <translation>ZWSP ช่องว่างไม่มีความกว้าง</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;คัดลอก</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;วาง</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>ทำ&amp;ซ้ำ</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>เ&amp;ลิกทำ</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>คัดลอกที่อยู่&amp;ลิงก์</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>ตั&amp;ด</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>เลือกทั้งหมด</translation>
    </message>
</context>
</TS>
