#include "survey/ui/georeferencedialog.h"

#include "survey/coordinates.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>

namespace tervan {

GeoreferenceDialog::GeoreferenceDialog(const std::optional<Georeference>& current, QWidget* parent)
    : QDialog(parent), m_current(current)
{
    setObjectName(QStringLiteral("frmGeoreference"));
    setWindowTitle(QStringLiteral("พิกัดอ้างอิง"));
    const auto coordinate = [](const char* name, double value) {
        auto* box = new QDoubleSpinBox;
        box->setObjectName(QLatin1String(name));
        box->setRange(-1e8, 1e8);
        box->setDecimals(3);
        box->setValue(value);
        return box;
    };
    m_easting = coordinate("spnEasting", current ? current->easting : 0);
    m_northing = coordinate("spnNorthing", current ? current->northing : 0);
    m_crs = new QComboBox;
    m_crs->setObjectName(QStringLiteral("cboGeoCrs"));
    m_crs->setEditable(true);
    m_crs->addItem(QStringLiteral("ไม่ระบุ"));
    for (const NamedCrs& c : thaiCrsList())
        m_crs->addItem(QStringLiteral("EPSG:%1 %2").arg(c.epsg).arg(c.name));
    if (current && current->epsg > 0) {
        const int i =
            m_crs->findText(QStringLiteral("EPSG:%1 ").arg(current->epsg), Qt::MatchStartsWith);
        i >= 0 ? m_crs->setCurrentIndex(i)
               : m_crs->setEditText(QStringLiteral("EPSG:%1").arg(current->epsg));
    }
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("พิกัดตะวันออก (E) ของจุดที่ 1"), m_easting);
    form->addRow(QStringLiteral("พิกัดเหนือ (N) ของจุดที่ 1"), m_northing);
    form->addRow(QStringLiteral("ระบบพิกัด"), m_crs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (typedEpsg())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::optional<int> GeoreferenceDialog::typedEpsg() const
{
    const QString text = m_crs->currentText();
    if (text == m_crs->itemText(0))
        return 0;
    return epsgOf(text.section(QLatin1Char(' '), 0, 0));
}

std::optional<Georeference> GeoreferenceDialog::georeference() const
{
    const int epsg = typedEpsg().value_or(0);
    if (m_easting->value() == 0 && m_northing->value() == 0 && epsg == 0)
        return std::nullopt;
    Georeference g = m_current.value_or(Georeference{});
    g.easting = m_easting->value();
    g.northing = m_northing->value();
    g.epsg = epsg;
    return g;
}

} // namespace tervan
