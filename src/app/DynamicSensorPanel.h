#pragma once

#include "app/Panel.h"

namespace Ui {
class LocalizableDynamicSensorPanel;
}

// The sheet for a sensor mode with a slope: the mode and the slope of one
// sensor. Ends with 1 for OK and 0 for Cancel.
class DynamicSensorPanel : public Panel<Ui::LocalizableDynamicSensorPanel> {
    Q_OBJECT
public:
    explicit DynamicSensorPanel(QWidget* parent);
    ~DynamicSensorPanel() override;

public slots:
    void okButton();
    void cancelButton();
    void reject() override;
};
