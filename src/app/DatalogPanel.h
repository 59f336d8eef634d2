#pragma once

#include "app/Panel.h"

namespace Ui {
class LocalizableDatalogPanel;
}

// The datalog size sheet. Ends with the size typed for OK and -1 for Cancel,
// so a typed -1 ends it as Cancel does.
class DatalogPanel : public Panel<Ui::LocalizableDatalogPanel> {
    Q_OBJECT
public:
    static constexpr int cancelCode = -1;

    explicit DatalogPanel(QWidget* parent);

    ~DatalogPanel() override;

public slots:
    void okButton();
    void cancelButton();
    void reject() override;
};
