#pragma once

#include "zarWizPages.h"

#include "core/Clock.h"
#include "core/EvTable.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QStackedWidget;

namespace zarvo {

// The events wizard: a page at a time it asks for a name, a type, the type's own parameters,
// then date, time and recurrence. It changes nothing while it runs; after "&Finish" (result
// Accepted) the owner appends the event with appendTo(), saves and re-arms.
class TzarWizForm : public QDialog
{
    Q_OBJECT
public:
    explicit TzarWizForm(const IClock& clock, QWidget* parent = nullptr,
                         std::function<void(int)> showHelp = {});
    ~TzarWizForm() override;

    static constexpr int HelpContext = 11;

    int wizStep() const { return m_step; }
    // The event as the pages describe it now (texts cut to the fields' 256 characters).
    EventRecord newEvent() const;
    // Appends newEvent() at the end of the table as a posted row.
    EvTable::RowId appendTo(EvTable& table) const;

    const WizControls& controls() const { return m_c; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void showStep(int step);
    void wizNextButtonClick();
    void wizBackButtonClick();
    void wizHelpButtonClick();
    void cfgCSButtonClick();
    void cfgS15ButtonClick();
    // The parameter page of the selected type; the type page itself for a type without one.
    int typePage() const;

    std::function<void(int)> m_showHelp;
    WizControls m_c;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    int m_step = 0;
};

} // namespace zarvo
