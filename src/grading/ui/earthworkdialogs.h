#pragma once

#include "grading/earthwork.h"
#include "grading/suspectheights.h"
#include "project/ui/centreddialog.h"

#include <functional>

class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace tervan {

struct Project;
class Prompts;
class InputRow;
class SummaryPanel;
class TextTableModel;

// The frame of every earthwork dialog: input boxes with a compute button above, the summary
// and the dialog's own table or picture below, print and OK at the bottom. Computing reads
// the boxes; a box that is no number or out of range gets the input-error message and the
// dialog stays as it was. Print asks the owner to print the figures shown.
class EarthworkDialogFrame : public CentredDialog
{
    Q_OBJECT
public:
    // The warning line above the summary, when the suspect check finds `count` heights.
    void warnOfSuspects(int count, std::function<void()> showList);

signals:
    void printRequested();

protected:
    EarthworkDialogFrame(const Project& project, Prompts& prompts, const QString& title,
                         QWidget* parent);
    // Reads the inputs and fills the summary and the body; refused input changes nothing.
    virtual void recompute() = 0;
    // The layout is finished once the body is added; shows the first figures.
    void finish(QWidget* body, const QString& note = {});

    const Project& m_project;
    Prompts& m_prompts;
    InputRow* m_inputs;
    SummaryPanel* m_summary;

private:
    QVBoxLayout* m_layout;
};

// Gross cut and fill by the zero-line split for a level platform (blank box: the balance) or,
// with `sloped`, for a plane through a centre elevation with slopes in X and Y.
class EarthworkDialog final : public EarthworkDialogFrame
{
    Q_OBJECT
public:
    EarthworkDialog(const Project& project, Prompts& prompts, bool sloped,
                    QWidget* parent = nullptr);
    const Earthwork& earthwork() const { return m_earthwork; }
    double compaction() const { return m_k; }
    bool sloped() const { return m_sloped; }

protected:
    void recompute() override;

private:
    bool m_sloped;
    QLineEdit* m_txtPlatform;
    QLineEdit* m_txtSlopeX = nullptr;
    QLineEdit* m_txtSlopeY = nullptr;
    QLineEdit* m_txtK;
    TextTableModel* m_cells;
    Earthwork m_earthwork;
    double m_k = 1;
};

// The balance curve for a compaction factor (and slopes), with the fixed platform marked.
class BalanceDialog final : public EarthworkDialogFrame
{
    Q_OBJECT
public:
    BalanceDialog(const Project& project, Prompts& prompts, QWidget* parent = nullptr);
    const Balance& balance() const { return m_balance; }
    // The fixed grade's platform and the net there; none when the curve is for a slope or the
    // user never gave one.
    std::optional<double> fixedPlatform() const { return m_fixedPlatform; }
    std::optional<double> fixedNet() const { return m_fixedNet; }

protected:
    void recompute() override;

private:
    QLineEdit* m_txtK;
    QLineEdit* m_txtSlopeX;
    QLineEdit* m_txtSlopeY;
    QLabel* m_picChart;
    Balance m_balance;
    std::optional<double> m_fixedPlatform;
    std::optional<double> m_fixedNet;
};

// Suspect heights with a settable deviation factor and floor.
class SuspectDialog final : public EarthworkDialogFrame
{
    Q_OBJECT
public:
    SuspectDialog(const Project& project, Prompts& prompts, double factor, double floor,
                  QWidget* parent = nullptr);
    const SuspectCheck& check() const { return m_check; }
    double factor() const { return m_factor; }
    double floor() const { return m_floor; }

protected:
    void recompute() override;

private:
    QLineEdit* m_txtFactor;
    QLineEdit* m_txtFloor;
    TextTableModel* m_rows;
    SuspectCheck m_check;
    double m_factor;
    double m_floor;
};

} // namespace tervan
